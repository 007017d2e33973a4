# Build facts shared by the programs, taken from git when CMake configures: the commit
# count is the build number releases and updates compare.
find_package(Git QUIET)
set(VESKET_GIT_COMMITS "0")
set(VESKET_GIT_SHA "unknown")
if(GIT_FOUND)
  execute_process(COMMAND "${GIT_EXECUTABLE}" rev-list --count HEAD
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE commits
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE commits_result)
  execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse HEAD
    WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}" OUTPUT_VARIABLE sha
    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE sha_result)
  if(commits_result EQUAL 0 AND sha_result EQUAL 0)
    set(VESKET_GIT_COMMITS "${commits}")
    set(VESKET_GIT_SHA "${sha}")
  endif()
endif()
string(TIMESTAMP VESKET_BUILD_TIMESTAMP "%Y-%m-%dT%H:%M:%SZ" UTC)
