# Allegro 4: from pkg-config on Linux; a cross build points ALLEGRO_ROOT at its own static build.
if(EMSCRIPTEN)
  # The browser: Allegro's portable core compiled by emcc (scripts/web), no drivers of its own.
  if(NOT ALLEGRO_ROOT OR NOT EXISTS "${ALLEGRO_ROOT}/lib/liballeg.a")
    message(FATAL_ERROR "the browser build needs ALLEGRO_ROOT: Allegro compiled with emcc, as scripts/web makes it")
  endif()
  add_library(driftwing::allegro INTERFACE IMPORTED)
  target_include_directories(driftwing::allegro INTERFACE "${ALLEGRO_ROOT}/include")
  target_link_libraries(driftwing::allegro INTERFACE "${ALLEGRO_ROOT}/lib/liballeg.a")
elseif(CMAKE_CROSSCOMPILING AND ALLEGRO_ROOT)
  add_library(driftwing::allegro INTERFACE IMPORTED)
  target_include_directories(driftwing::allegro INTERFACE "${ALLEGRO_ROOT}/include")
  target_compile_definitions(driftwing::allegro INTERFACE ALLEGRO_STATICLINK)
  target_link_libraries(driftwing::allegro INTERFACE
    "${ALLEGRO_ROOT}/lib/liballeg.a" kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid
    winmm dsound)
  # One self-contained .exe: the C and C++ runtimes are linked in, so no MinGW DLL has
  # to travel with the game. Allegro's END_OF_MAIN supplies WinMain, so the game is a
  # GUI program (-mwindows): starting it opens the game window and no console beside it.
  target_link_options(driftwing::allegro INTERFACE -static -mwindows)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ALLEGRO REQUIRED IMPORTED_TARGET GLOBAL allegro)
  # The window platform talks to X11 itself for fullscreen.
  find_package(X11 REQUIRED)
  add_library(driftwing_allegro INTERFACE)
  target_link_libraries(driftwing_allegro INTERFACE PkgConfig::ALLEGRO X11::X11)
  add_library(driftwing::allegro ALIAS driftwing_allegro)
endif()
