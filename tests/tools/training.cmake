# Suites of the corpus generator's library and the trainer (tools/corpus,
# tools/train). The trainer suite runs two threads per minibatch.
if(TARGET tarkabab_trainlib)
  add_executable(test_corpus_augment test_corpus_augment.cpp)
  target_link_libraries(test_corpus_augment PRIVATE tarkabab_corpus GTest::gtest_main)
  gtest_discover_tests(test_corpus_augment)

  add_executable(test_corpus_respell test_corpus_respell.cpp)
  target_link_libraries(test_corpus_respell PRIVATE tarkabab_corpus GTest::gtest_main)
  gtest_discover_tests(test_corpus_respell)

  # The espeak-ng voice, where the generator is built (libespeak-ng-dev).
  if(TARGET tarkabab_espeak_voice)
    add_executable(test_corpus_espeak test_corpus_espeak.cpp)
    target_link_libraries(test_corpus_espeak PRIVATE tarkabab_espeak_voice GTest::gtest_main)
    gtest_discover_tests(test_corpus_espeak)
  endif()

  add_executable(test_train_mlp test_train_mlp.cpp)
  target_link_libraries(test_train_mlp PRIVATE tarkabab_trainlib GTest::gtest_main)
  gtest_discover_tests(test_train_mlp PROPERTIES LABELS "threads")

  # The trainer's weights must not depend on the make of the CPU.
  add_test(NAME TrainerArithmetic.NoReciprocalEstimates
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/no_estimates.sh $<TARGET_OBJECTS:tarkabab_trainlib>)

  # A bad --out is refused before the corpus is even read, not after twenty
  # minutes of training: here a file stands where the folder should be.
  add_test(NAME TrainerCli.RefusesOutThatIsNotAFolder
           COMMAND sh -c "\"$0\" --corpus /nonexistent --out \"$1\"; echo \"exit $?\""
                   $<TARGET_FILE:tarkabab-train> ${CMAKE_CURRENT_SOURCE_DIR}/training.cmake)
  set_tests_properties(TrainerCli.RefusesOutThatIsNotAFolder PROPERTIES
                       PASS_REGULAR_EXPRESSION "training.cmake: not a directory.*exit 1")
endif()
