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

// The subsets of k shifts grouped by size, each size in increasing order of
// its mask: subsets of size s are masks[first[s]] .. masks[first[s + 1] - 1].
struct subsets_t {
    std::vector<uint32_t> masks;
    std::vector<std::size_t> first;
};

// A counting sort by size: the sizes follow from size(S) = size(S >> 1) +
// (S & 1), and each size's masks are placed in increasing order.
subsets_t subsets_by_size(int k) {
    const std::size_t count = std::size_t{1} << k;
    std::vector<uint8_t> size;
    ALLOCATE(size, count, "subset sizes");
    subsets_t subsets;
    subsets.first.assign(k + 2, 0);
    for (std::size_t mask = 1; mask < count; mask++) size[mask] = static_cast<uint8_t>(size[mask >> 1] + (mask & 1));
    for (std::size_t mask = 0; mask < count; mask++) subsets.first[size[mask] + 1]++;
    for (int s = 1; s <= k + 1; s++) subsets.first[s] += subsets.first[s - 1];
    ALLOCATE(subsets.masks, count, "subsets");
    std::vector<std::size_t> next(subsets.first.begin(), subsets.first.end() - 1);
    for (std::size_t mask = 0; mask < count; mask++) subsets.masks[next[size[mask]]++] = static_cast<uint32_t>(mask);
    return subsets;
}

// The subsets of k shifts, made once per thread and size: a protein's spin
// systems ask for the same few sizes thousands of times.
const subsets_t &subsets_of(int k) {
    thread_local std::vector<subsets_t> made(most_dense_shifts + 1);
    subsets_t &subsets = made[k];
    if (subsets.masks.empty()) subsets = subsets_by_size(k);
    return subsets;
}

// After atom j, D[S] is the sum over the attachments of the shifts in S to
// atoms 0..j, the other atoms up to j being missing:
// D[S] = miss_j × D[S] + (1 - miss_j) × Σ_{i in S} weight(i, j) × D[S \ {i}].
double dense_sum(const attachment_weights_t &w) {
    const int k = w.shifts, m = w.atoms;
    const subsets_t &subsets = subsets_of(k);
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
