# Read by CTest after the GoogleTest binaries have listed their tests (tests/CMakeLists.txt):
# labels the slow ones "heavy". A pattern that labels nothing fails the listing, so a renamed
# test cannot slip into the quick set unnoticed.
set(heavy_patterns
  "^ScanRange\\.(MatchesTheLiteralScanOnRandomRanges|MatchesTheLiteralScanAcrossChunks|WholeRangeDeliversEveryPrimeOnce)$"
  "^FillProgress\\.MatchesTheLiteralAccumulationOverTheWholeRange$")
if(DEFINED list_window_tests_TESTS)  # a build without the windows has no window tests
  list(APPEND heavy_patterns "^TypeAheadTest\\.")
endif()
if(DEFINED soak_tests_TESTS)  # the soak runs on Linux only
  list(APPEND heavy_patterns "^Soak\\.")
endif()
set(heavy_tests)
foreach(test IN LISTS calc_tests_TESTS list_window_tests_TESTS soak_tests_TESTS)
  list(APPEND heavy_tests "${test}")
endforeach()
foreach(pattern IN LISTS heavy_patterns)
  set(matched FALSE)
  foreach(test IN LISTS heavy_tests)
    if(test MATCHES "${pattern}")
      set_tests_properties("${test}" PROPERTIES LABELS heavy)
      set(matched TRUE)
    endif()
  endforeach()
  if(NOT matched)
    message(FATAL_ERROR "no test matches the heavy pattern ${pattern}")
  endif()
endforeach()
