#pragma once
// Finds the host selection's rows by caption without walking the list for every name: the first
// row with exactly that caption, else the first whose caption equals it without regard to case.
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vek {

class TRowFinder {
public:
    // The captions with their rows, in any order.
    explicit TRowFinder(std::vector<std::pair<std::string, int>> rows);

    // The row for the caption; -1 when there is none.
    int Find(const std::string& caption) const;

private:
    std::unordered_map<std::string, int> exact_;
    // Sorted without regard to case, and by row among equal captions.
    std::vector<std::pair<std::string, int>> sorted_;
};

} // namespace vek
