# The recogniser core: front end, networks, block processor, instances, the
# device table with the memory driver, and the capture driver (the live one
# when speech/capture.cpp is present, else a stub whose open fails).
set(SPEECH_DIR ${CMAKE_CURRENT_SOURCE_DIR})
if(EXISTS ${SPEECH_DIR}/capture.cpp)
  set(SPEECH_CAPTURE ${SPEECH_DIR}/capture.cpp)
else()
  set(SPEECH_CAPTURE ${SPEECH_DIR}/capture_stub.cpp)
endif()
add_library(tarkabab_speech STATIC
  ${SPEECH_DIR}/fe.cpp
  ${SPEECH_DIR}/nn.cpp
  ${SPEECH_DIR}/nn_simd.cpp
  ${SPEECH_DIR}/ep.cpp
  ${SPEECH_DIR}/rec.cpp
  ${SPEECH_DIR}/snd.cpp
  ${SPEECH_DIR}/memdrv.cpp
  ${SPEECH_CAPTURE})
target_include_directories(tarkabab_speech PUBLIC ${SPEECH_DIR})
# The networks were trained on these exact roundings: no contraction of
# a*b+c into FMA except where the code asks for it (fmaf, the AVX2 path).
target_compile_options(tarkabab_speech PRIVATE -ffp-contract=off)
target_link_libraries(tarkabab_speech PUBLIC tarkabab_resources PkgConfig::PULSE Threads::Threads m)
