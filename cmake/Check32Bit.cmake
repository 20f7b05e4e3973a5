# Compiles, links and runs a small threaded 32-bit program. Sets
# QUORVEL_HAVE_32BIT when it builds, QUORVEL_TEST_32BIT when it also runs
# (directly, or through QUORVEL_32BIT_RUNNER), and says in one line why
# anything is missing.
set(check_dir ${CMAKE_BINARY_DIR}/m32check)
file(WRITE ${check_dir}/m32check.cpp [=[
#include <cstdint>
#include <cstdio>
#include <thread>
int main() {
  int value = 0;
  std::thread worker([&value] { value = static_cast<int>(sizeof(void*)); });
  worker.join();
  std::printf("m32 %d\n", value);
  return value == 4 ? 0 : 1;
}
]=])
try_compile(m32_builds ${check_dir}/build
            SOURCES ${check_dir}/m32check.cpp
            COMPILE_DEFINITIONS -m32 -pthread
            LINK_OPTIONS -m32 -pthread
            CXX_STANDARD 20
            OUTPUT_VARIABLE m32_build_log
            COPY_FILE ${check_dir}/m32check)
if(NOT m32_builds)
  message(NOTICE "No 32-bit toolchain (install g++-multilib): building the 64-bit programs only.")
  return()
endif()
set(QUORVEL_HAVE_32BIT ON)

# Runs the check program with a prefix (empty: directly); true when it ran right.
function(quorvel_m32_runs result_var)
  execute_process(COMMAND ${ARGN} ${check_dir}/m32check
                  RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_QUIET TIMEOUT 30)
  if(code STREQUAL "0" AND output MATCHES "m32 4")
    set(${result_var} ON PARENT_SCOPE)
  else()
    set(${result_var} OFF PARENT_SCOPE)
  endif()
endfunction()

if(NOT QUORVEL_32BIT_RUNNER STREQUAL "")
  separate_arguments(runner UNIX_COMMAND "${QUORVEL_32BIT_RUNNER}")
  quorvel_m32_runs(m32_runs ${runner})
  if(NOT m32_runs)
    message(NOTICE "The 32-bit runner '${QUORVEL_32BIT_RUNNER}' cannot run 32-bit programs: the 32-bit tests are not registered.")
  endif()
else()
  quorvel_m32_runs(m32_runs)
  if(NOT m32_runs)
    find_program(QUORVEL_QEMU_I386 qemu-i386)
    if(QUORVEL_QEMU_I386)
      quorvel_m32_runs(m32_runs ${QUORVEL_QEMU_I386})
    endif()
    if(m32_runs)
      set(QUORVEL_32BIT_RUNNER ${QUORVEL_QEMU_I386} CACHE STRING "" FORCE)
      message(STATUS "This kernel cannot run 32-bit programs: the tests run them through ${QUORVEL_QEMU_I386}.")
    else()
      message(NOTICE "This kernel cannot run 32-bit programs and qemu-i386 is missing (install qemu-user): the 32-bit programs are built, their tests are not registered.")
    endif()
  endif()
endif()
set(QUORVEL_TEST_32BIT ${m32_runs})
