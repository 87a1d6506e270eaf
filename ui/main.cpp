// korvanta: the window. It takes no arguments of its own besides --help and --version, and the
// options every Qt program takes.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <iostream>

#include "reader_app.h"
#include "res/version_info.h"

namespace {

constexpr int kExitUsage = 64;

void DescribeOptions(QCommandLineParser& parser) {
  parser.setApplicationDescription(
      "The Korvanta window: downloads the log of the data wand on a serial port, sets the\n"
      "wand's clock to this computer's local time and shows the log as a table. Choose the\n"
      "port, press 采集数据.\n"
      "Environment: KORVANTA_PORTS names the ports folder, KORVANTA_TRACE a file that each\n"
      "download appends a record to for support.\n"
      "It also takes the options every Qt program takes, such as -platform NAME.");
  // Qt's own options keep their single dash (-platform, -style), so "-reverse" is one word and
  // not -v among other letters.
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOption({{"h", "help"}, "Displays this help."});
  parser.addVersionOption();
}

bool AsksForHelpOrVersion(int argc, char** argv) {
  QStringList arguments;
  std::transform(argv, argv + argc, std::back_inserter(arguments),
                 [](const char* argument) { return QString::fromLocal8Bit(argument); });
  QCommandLineParser parser;
  DescribeOptions(parser);
  parser.parse(arguments);
  return parser.isSet("help") || parser.isSet("version");
}

}  // namespace

int main(int argc, char** argv) {
  // Answered by a bare application object, which needs no display, so a script or a terminal
  // without one still gets them.
  if (AsksForHelpOrVersion(argc, argv)) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromUtf8(res::kFileVersionDotted));
    QCommandLineParser parser;
    DescribeOptions(parser);
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet("version")) {
      parser.showVersion();
    }
    std::cout << parser.helpText().toStdString();
    return 0;
  }

  ui::ReaderApp app(argc, argv);
  QCommandLineParser parser;
  DescribeOptions(parser);
  if (!parser.parse(QCoreApplication::arguments()) || !parser.positionalArguments().isEmpty()) {
    const QString problem =
        parser.errorText().isEmpty()
            ? "unexpected argument: " + parser.positionalArguments().constFirst()
            : parser.errorText();
    std::cerr << "korvanta: " << problem.toStdString() << '\n' << parser.helpText().toStdString();
    return kExitUsage;
  }
  return app.Run();
}
