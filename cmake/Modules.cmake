# vellix_module(name): the library vellix_<name> from src/<name>/*.cpp.
#   foo.cpp        portable, built everywhere
#   foo_win.cpp    Windows only (may include <windows.h>)
#   foo_posix.cpp  native only
# WinMain_win.cpp is the program's entry and belongs to launcher alone.
set(VELLIX_SYSTEM_LIBS)
if(WIN32)
  set(VELLIX_SYSTEM_LIBS ole32 oleaut32 uuid comdlg32 comctl32 shell32 shlwapi
      user32 gdi32 advapi32 kernel32)
endif()

function(vellix_module name)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp)
  set(sources)
  foreach(f IN LISTS all)
    get_filename_component(base ${f} NAME_WE)
    if(base STREQUAL "WinMain_win")
      continue()
    endif()
    if(base MATCHES "_win$")
      if(WIN32)
        list(APPEND sources ${f})
      endif()
    elseif(base MATCHES "_posix$")
      if(NOT WIN32)
        list(APPEND sources ${f})
      endif()
    else()
      list(APPEND sources ${f})
    endif()
  endforeach()
  if(NOT sources)
    return()
  endif()
  add_library(vellix_${name} STATIC ${sources})
  target_include_directories(vellix_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  set_property(GLOBAL APPEND PROPERTY VELLIX_LIB_NAMES vellix_${name})
endfunction()

# The module libraries refer to each other freely (the window code calls the
# core, the core calls ports that the window code implements), so every
# program links them as one group that the linker rescans.
macro(vellix_finish_modules)
  get_property(_libs GLOBAL PROPERTY VELLIX_LIB_NAMES)
  string(JOIN "," _group ${_libs})
  set(VELLIX_ALL_LIBS "$<LINK_GROUP:RESCAN,${_group}>" ${VELLIX_SYSTEM_LIBS})
  if(NOT WIN32)
    find_package(Iconv)
    if(Iconv_FOUND AND NOT Iconv_IS_BUILT_IN)
      list(APPEND VELLIX_ALL_LIBS Iconv::Iconv)
    endif()
  endif()
endmacro()
