#pragma once
// A set of measured values and the statistics the benchmark tables show.
#include <algorithm>
#include <cstddef>
#include <vector>

class SampleSet {
public:
    void Add(double value) { values_.push_back(value); }
    std::size_t Count() const { return values_.size(); }
    bool Empty() const { return values_.empty(); }

    // Nearest-rank percentile, p in [0, 100]; 0 for an empty set.
    double Percentile(double p) const
    {
        if (values_.empty()) return 0.0;
        std::vector<double> sorted = values_;
        std::sort(sorted.begin(), sorted.end());
        const double rank = p / 100.0 * static_cast<double>(sorted.size());
        std::size_t index = rank <= 1.0 ? 0 : static_cast<std::size_t>(rank + 0.999999) - 1;
        return sorted[std::min(index, sorted.size() - 1)];
    }
    double Median() const { return Percentile(50.0); }
    double Min() const { return values_.empty() ? 0.0 : *std::min_element(values_.begin(), values_.end()); }
    double Max() const { return values_.empty() ? 0.0 : *std::max_element(values_.begin(), values_.end()); }
    double Sum() const
    {
        double sum = 0.0;
        for (double v : values_) sum += v;
        return sum;
    }
    double Mean() const { return values_.empty() ? 0.0 : Sum() / static_cast<double>(values_.size()); }

private:
    std::vector<double> values_;
};
