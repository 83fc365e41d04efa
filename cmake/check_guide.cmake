# README.md's section "Using Tavilune" is a copy of docs/guide.md, the one text of the user's
# guide, which the release bundles carry as README.txt. This check fails while the two differ;
# with -DUPDATE=ON it copies the guide into README.md instead.
#   cmake [-DUPDATE=ON] -P cmake/check_guide.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/release_texts.cmake)
get_filename_component(root ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)

file(READ ${root}/docs/guide.md guide)
file(READ ${root}/README.md readme)
string(FIND "${readme}" "${TAVILUNE_GUIDE_BEGIN}\n" begin)
string(FIND "${readme}" "\n${TAVILUNE_GUIDE_END}" end)
if(begin EQUAL -1 OR end EQUAL -1 OR end LESS begin)
  message(FATAL_ERROR "README.md lacks the lines that hold the copy of docs/guide.md:\n"
                      "${TAVILUNE_GUIDE_BEGIN}\n${TAVILUNE_GUIDE_END}")
endif()
string(LENGTH "${TAVILUNE_GUIDE_BEGIN}\n" marker_length)
math(EXPR copy_begin "${begin} + ${marker_length}")
math(EXPR copy_length "${end} + 1 - ${copy_begin}")
string(SUBSTRING "${readme}" ${copy_begin} ${copy_length} copy)

if(copy STREQUAL guide)
  message(STATUS "README.md's section \"Using Tavilune\" is docs/guide.md")
elseif(UPDATE)
  string(SUBSTRING "${readme}" 0 ${copy_begin} before)
  math(EXPR after_begin "${end} + 1")
  string(SUBSTRING "${readme}" ${after_begin} -1 after)
  file(WRITE ${root}/README.md "${before}${guide}${after}")
  message(STATUS "README.md: the copy of docs/guide.md is brought up to date")
else()
  message(FATAL_ERROR "README.md's section \"Using Tavilune\" differs from docs/guide.md; "
                      "edit docs/guide.md, then run: cmake -DUPDATE=ON -P cmake/check_guide.cmake")
endif()
