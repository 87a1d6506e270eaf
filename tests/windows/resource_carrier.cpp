// A program that carries the Windows resources and nothing else: what the resources test reads
// while the build has no Korvanta.exe.
int main() {
  return 0;
}
