# Batch "Change gender" (PSOLA): moves formants independently of pitch and
# duration. One praat start-up serves a whole list; each line of the list is
#   input.wav output.wav formantRatio pitchMedian pitchRangeFactor durationFactor
# (pitchMedian 0 keeps the original median). PSOLA draws random numbers:
# seeding them with the line number makes every run give the same samples.
form Change gender in batch
  sentence list /dev/null
endform
strings = Read Strings from raw text file: list$
n = Get number of strings
for i to n
  selectObject: strings
  line$ = Get string: i
  @fields: line$
  random_initializeWithSeedUnsafelyButPredictably: i
  snd = Read from file: fields.w$[1]
  res = Change gender: 75, 600, number(fields.w$[3]), number(fields.w$[4]), number(fields.w$[5]), number(fields.w$[6])
  Save as 32-bit WAV file: fields.w$[2]
  removeObject: snd, res
endfor

procedure fields: .s$
  .n = 0
  while length(.s$) > 0
    .p = index(.s$, " ")
    .n += 1
    if .p = 0
      .w$[.n] = .s$
      .s$ = ""
    else
      .w$[.n] = left$(.s$, .p - 1)
      .s$ = mid$(.s$, .p + 1, 10000)
    endif
  endwhile
endproc
