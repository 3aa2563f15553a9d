# Allegro 4: from pkg-config on Linux; a cross build points ALLEGRO_ROOT at its own static build.
if(CMAKE_CROSSCOMPILING AND ALLEGRO_ROOT)
  add_library(driftwing::allegro INTERFACE IMPORTED)
  target_include_directories(driftwing::allegro INTERFACE "${ALLEGRO_ROOT}/include")
  target_compile_definitions(driftwing::allegro INTERFACE ALLEGRO_STATICLINK)
  target_link_libraries(driftwing::allegro INTERFACE
    "${ALLEGRO_ROOT}/lib/liballeg.a" kernel32 user32 gdi32 comdlg32 ole32 dinput ddraw dxguid
    winmm dsound)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(ALLEGRO REQUIRED IMPORTED_TARGET GLOBAL allegro)
  add_library(driftwing::allegro ALIAS PkgConfig::ALLEGRO)
endif()
