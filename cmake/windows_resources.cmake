# The Windows program's resources (res/windows): dialogs, strings, icon, version block and
# manifest, all made from res/.
include_guard(GLOBAL)

# Gives the executable `target` the program's resources.
function(korvanta_add_windows_resources target)
  target_link_libraries(${target} PRIVATE korvanta_win_resources)
endfunction()
