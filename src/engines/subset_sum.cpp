// SPDX-License-Identifier: GPL-3.0-or-later
// Attachment sums of one nucleus by dynamic programming over subsets of shifts.
#include "engines/subset_sum.h"

#include <algorithm>
#include <cstdint>

#include "input/failure.h"

namespace {

// Beyond this many shifts of one nucleus the subset table would not fit in
// memory; no residue has that many atoms of a nucleus.
const int most_dense_shifts = 20;

// The subsets of k shifts grouped by size: subsets of size s are
// masks[first[s]] .. masks[first[s + 1] - 1].
struct subsets_t {
    std::vector<uint32_t> masks;
    std::vector<std::size_t> first;
};

subsets_t subsets_by_size(int k) {
    subsets_t subsets;
    ALLOCATE(subsets.masks, std::size_t{1} << k, "subsets");
    for (uint32_t mask = 0; mask < subsets.masks.size(); mask++) subsets.masks[mask] = mask;
    std::stable_sort(subsets.masks.begin(), subsets.masks.end(),
                     [](uint32_t a, uint32_t b) { return __builtin_popcount(a) < __builtin_popcount(b); });
    subsets.first.assign(k + 2, subsets.masks.size());
    for (std::size_t i = subsets.masks.size(); i-- > 0;) subsets.first[__builtin_popcount(subsets.masks[i])] = i;
    return subsets;
}

// After atom j, D[S] is the sum over the attachments of the shifts in S to
// atoms 0..j, the other atoms up to j being missing:
// D[S] = miss_j × D[S] + (1 - miss_j) × Σ_{i in S} weight(i, j) × D[S \ {i}].
double dense_sum(const attachment_weights_t &w) {
    const int k = w.shifts, m = w.atoms;
    const subsets_t subsets = subsets_by_size(k);
    std::vector<double> D;
    ALLOCATE(D, std::size_t{1} << k, "subset sums");
    D[0] = 1.0;
    for (int j = 0; j < m; j++) {
        const double miss = w.miss[j], seen = 1.0 - miss;
        // Only subsets that can still grow to all k shifts with the atoms left matter.
        const int largest = std::min(k, j + 1), smallest = std::max(0, k - (m - 1 - j));
        // Larger subsets first, so each update reads the smaller ones of atom j - 1.
        for (int size = largest; size >= std::max(smallest, 1); size--)
            for (std::size_t s = subsets.first[size]; s < subsets.first[size + 1]; s++) {
                const uint32_t S = subsets.masks[s];
                double attached = 0.0;
                for (int i = 0; i < k; i++) {
                    const double weight = w.weight[i * m + j];
                    if ((S & (1u << i)) && !(weight == 0.0 && w.zero_forbids)) attached += weight * D[S ^ (1u << i)];
                }
                D[S] = miss * D[S] + seen * attached;
            }
        if (smallest == 0) D[0] *= miss;
    }
    return D[(std::size_t{1} << k) - 1];
}

// Sum over the attachments of shifts i.. given the atoms already taken.
double enumerated_sum(const attachment_weights_t &w, int i, std::vector<char> &taken, double product) {
    if (i == w.shifts) {
        for (int j = 0; j < w.atoms; j++)
            if (!taken[j]) product *= w.miss[j];
        return product;
    }
    double sum = 0.0;
    for (int j = 0; j < w.atoms; j++) {
        const double weight = w.weight[i * w.atoms + j];
        if (taken[j] || weight == 0.0) continue;
        taken[j] = 1;
        sum += enumerated_sum(w, i + 1, taken, product * ((1.0 - w.miss[j]) * weight));
        taken[j] = 0;
    }
    return sum;
}

}  // namespace

double nucleus_attachment_sum(const attachment_weights_t &w) {
    if (w.shifts <= most_dense_shifts) return dense_sum(w);
    std::vector<char> taken(w.atoms, 0);
    return enumerated_sum(w, 0, taken, 1.0);
}
