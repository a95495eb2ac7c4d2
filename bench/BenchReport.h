#pragma once
// The lines a benchmark prints for bench/run.sh: one per figure,
//   R <key> <median> <min> <max> <p99> <count> <unit>
// and free text (lines not starting with "R ") for a reader of the output.
#include <cstdio>

#include "SampleSet.h"

class BenchReport {
public:
    static void Figure(const char* key, const SampleSet& samples, const char* unit)
    {
        std::printf("R %s %.6g %.6g %.6g %.6g %zu %s\n", key, samples.Median(), samples.Min(), samples.Max(),
                    samples.Percentile(99.0), samples.Count(), unit);
        std::fflush(stdout);
    }
    static void Value(const char* key, double value, const char* unit)
    {
        SampleSet one;
        one.Add(value);
        Figure(key, one, unit);
    }
};
