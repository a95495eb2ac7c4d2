# Settings shared by both builds.
if(WIN32)
  enable_language(RC)
  # Texts the program shows or stores are CP1252; the sources are UTF-8.
  add_compile_options(-fexec-charset=CP1252 -Wall -Wextra)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Static: the .exe needs no DLL beyond the system's.
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  add_compile_options(-Wall -Wextra)
  option(LF_SANITIZE "Build native code with AddressSanitizer and UBSan" ON)
  if(LF_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

# GoogleTest from Debian's googletest package, built with whichever toolchain is active.
set(LF_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${LF_GTEST_DIR}/CMakeLists.txt AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${LF_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# lf_add_test(NAME <name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s])
# One test executable, registered as one ctest test. In the Windows build it runs
# under Wine through CMAKE_CROSSCOMPILING_EMULATOR; those tests share one prefix,
# one X display and the virtual serial ports, so they run one at a time.
function(lf_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} gtest gmock)
  if(WIN32)
    target_link_options(${T_NAME} PRIVATE -mconsole)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${T_LABELS}")
  if(WIN32)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK wine_prefix FIXTURES_REQUIRED wine_harness)
  endif()
endfunction()
