// SPDX-License-Identifier: GPL-3.0-or-later
// The maximum-likelihood offsets of the referencing check (the method is
// described in offsets.h).
#include "referencing/offsets.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <thread>

#include "engines/subset_sum.h"

namespace {

enum { h_nucleus, c_nucleus, n_nucleus, nuclei };

// Below this a spin system's likelihood counts as this, so that its
// logarithm stays finite (only a spin system that no type can hold at all
// gets there, and it is left out).
constexpr double least_likelihood = 1e-300;

constexpr double pi = 3.14159265358979323846;

int nucleus_of_kind(int kind) { return kind == kind_h ? h_nucleus : kind == kind_n ? n_nucleus : c_nucleus; }

int nucleus_index(char nucleus) { return nucleus == 'H' ? h_nucleus : nucleus == 'C' ? c_nucleus : n_nucleus; }

// One nucleus of a type: its atoms' means, standard deviations and missing rates.
struct nucleus_stats_t {
    std::vector<double> mean, sd, miss;
};

struct type_block_t {
    int amino_acid = -1;
    double share = 1.0;  // the block's share of its type's residues (its class's, per class)
    nucleus_stats_t x[nuclei];
};

std::vector<type_block_t> blocks_of(const std::vector<type_statistics_t> &types, const std::vector<double> &shares) {
    std::vector<type_block_t> blocks;
    for (std::size_t t = 0; t < types.size(); t++) {
        const type_statistics_t &type = types[t];
        type_block_t block;
        block.amino_acid = type.amino_acid;
        if (t < shares.size()) block.share = shares[t];
        const stat_data_t &s = type.stats;
        for (int p = 0; p < s.atom_num; p++) {
            nucleus_stats_t &x = block.x[nucleus_index(s.atom_type[p])];
            x.mean.push_back(s.mean[p]);
            x.sd.push_back(s.std_dev[p]);
            x.miss.push_back(s.miss[p]);
        }
        blocks.push_back(std::move(block));
    }
    return blocks;
}

// A spin system ready for the search: its shifts per nucleus with the kind
// of each, and the types it may be.
struct prepared_t {
    std::vector<double> values[nuclei];
    std::vector<int> kinds[nuclei];
    std::vector<int> blocks;       // the types it may be, by position in the blocks
    std::vector<double> weights;   // their prior weights
    bool has_kind[shift_kinds] = {};
};

class likelihood_t {
   public:
    likelihood_t(const std::vector<referencing_system_t> &systems, const std::vector<type_statistics_t> &types,
                 const referencing_settings_t &settings, const std::vector<double> &shares)
        : settings_(settings), blocks_(blocks_of(types, shares)) {
        for (const referencing_system_t &system : systems) {
            prepared_t p;
            const std::vector<double> *from[nuclei] = {&system.h, &system.c, &system.n};
            const char letters[nuclei] = {'H', 'C', 'N'};
            for (int x = 0; x < nuclei; x++)
                for (double ppm : *from[x]) {
                    const int kind = shift_kind_of(letters[x], ppm);
                    p.values[x].push_back(ppm);
                    p.kinds[x].push_back(kind);
                    p.has_kind[kind] = true;
                }
            for (std::size_t b = 0; b < blocks_.size(); b++) {
                const double w = system.weight[blocks_[b].amino_acid] * blocks_[b].share;
                if (w > 0.0) {
                    p.blocks.push_back(static_cast<int>(b));
                    p.weights.push_back(w);
                }
            }
            // A spin system that no type can hold at any offset says nothing.
            if (!p.blocks.empty() && system_likelihood(p, {}) > 0.0) prepared_.push_back(std::move(p));
        }
    }

    long carrying(int kind) const {
        long count = 0;
        for (const prepared_t &p : prepared_) count += p.has_kind[kind] ? 1 : 0;
        return count;
    }

    // The spin systems holding the kind, each with the product of its prior
    // weight and the sums of its other nuclei at the current offsets, per
    // type. A type whose product is below `negligible_share` of the
    // spin system's largest is left out of the search of this kind: the
    // other nuclei have ruled it out, and no offset of one nucleus brings
    // back a factor of 10^10 (at the offsets that matter, the varied
    // nucleus's sums of the types that remain are of the same order).
    void hold_others(int kind, const std::array<double, shift_kinds> &offsets) {
        constexpr double negligible_share = 1e-10;
        kind_ = kind;
        held_.clear();
        held_blocks_.clear();
        held_factor_.clear();
        const int varied = nucleus_of_kind(kind);
        for (std::size_t i = 0; i < prepared_.size(); i++) {
            const prepared_t &p = prepared_[i];
            if (!p.has_kind[kind]) continue;
            std::vector<double> factor(p.blocks.size());
            double largest = 0.0;
            for (std::size_t j = 0; j < p.blocks.size(); j++) {
                double product = p.weights[j];
                for (int x = 0; x < nuclei; x++)
                    if (x != varied) product *= nucleus_sum(p, blocks_[p.blocks[j]].x[x], x, offsets);
                factor[j] = product;
                largest = std::max(largest, product);
            }
            std::vector<int> blocks;
            std::vector<double> kept;
            for (std::size_t j = 0; j < p.blocks.size(); j++)
                if (factor[j] > 0.0 && factor[j] >= negligible_share * largest) {
                    blocks.push_back(p.blocks[j]);
                    kept.push_back(factor[j]);
                }
            held_.push_back(i);
            held_blocks_.push_back(std::move(blocks));
            held_factor_.push_back(std::move(kept));
        }
    }

    // log L_s of each held spin system with the held kind at offset d.
    // Each spin system's value is computed alone, so any number of threads
    // gives the same values.
    void held_logs(std::array<double, shift_kinds> offsets, double d, std::vector<double> &logs) const {
        offsets[kind_] = d;
        const int varied = nucleus_of_kind(kind_);
        logs.resize(held_.size());
        auto part = [&](std::size_t from, std::size_t to) {
            std::vector<double> work;
            for (std::size_t i = from; i < to; i++) {
                const prepared_t &p = prepared_[held_[i]];
                double sum = 0.0;
                for (std::size_t j = 0; j < held_blocks_[i].size(); j++)
                    sum += held_factor_[i][j] * nucleus_sum(p, blocks_[held_blocks_[i][j]].x[varied], varied, offsets, work);
                logs[i] = std::log(std::max(sum, least_likelihood));
            }
        };
        const std::size_t threads = std::min<std::size_t>(std::max(settings_.threads, 1), held_.size() / 8 + 1);
        std::vector<std::thread> others;
        for (std::size_t t = 1; t < threads; t++)
            others.emplace_back(part, held_.size() * t / threads, held_.size() * (t + 1) / threads);
        part(0, held_.size() / threads);
        for (std::thread &thread : others) thread.join();
    }

    double held_total(const std::array<double, shift_kinds> &offsets, double d) const {
        std::vector<double> logs;
        held_logs(offsets, d, logs);
        double total = 0.0;
        for (double l : logs) total += l;
        return total;
    }

    double total(const std::array<double, shift_kinds> &offsets) const {
        double sum = 0.0;
        for (const prepared_t &p : prepared_) sum += std::log(std::max(system_likelihood(p, offsets), least_likelihood));
        return sum;
    }

   private:
    double density(double x, double mean, double sd) const {
        const double z = (x - mean) / sd, wide = z / settings_.tail_width;
        const double core = std::exp(-0.5 * z * z), tail = std::exp(-0.5 * wide * wide) / settings_.tail_width;
        return ((1.0 - settings_.tail_share) * core + settings_.tail_share * tail) / (std::sqrt(2.0 * pi) * sd);
    }

    double nucleus_sum(const prepared_t &p, const nucleus_stats_t &atoms, int x,
                       const std::array<double, shift_kinds> &offsets) const {
        std::vector<double> work;
        return nucleus_sum(p, atoms, x, offsets, work);
    }

    // `work` is storage the sum may keep between calls.
    double nucleus_sum(const prepared_t &p, const nucleus_stats_t &atoms, int x,
                       const std::array<double, shift_kinds> &offsets, std::vector<double> &work) const {
        const std::vector<double> &values = p.values[x];
        attachment_weights_t w;
        w.shifts = static_cast<int>(values.size());
        w.atoms = static_cast<int>(atoms.mean.size());
        if (w.shifts > w.atoms) return 0.0;
        w.miss = atoms.miss.data();
        w.weight.swap(work);
        w.weight.resize(static_cast<std::size_t>(w.shifts) * w.atoms);
        for (int i = 0; i < w.shifts; i++) {
            const double moved = values[i] + offsets[p.kinds[x][i]];
            for (int j = 0; j < w.atoms; j++)
                w.weight[static_cast<std::size_t>(i) * w.atoms + j] = density(moved, atoms.mean[j], atoms.sd[j]);
        }
        const double sum = nucleus_attachment_sum(w);
        work.swap(w.weight);
        return sum;
    }

    double system_likelihood(const prepared_t &p, const std::array<double, shift_kinds> &offsets) const {
        double sum = 0.0;
        for (std::size_t j = 0; j < p.blocks.size(); j++) {
            double product = p.weights[j];
            for (int x = 0; x < nuclei && product > 0.0; x++)
                product *= nucleus_sum(p, blocks_[p.blocks[j]].x[x], x, offsets);
            sum += product;
        }
        return sum;
    }

    referencing_settings_t settings_;
    std::vector<type_block_t> blocks_;
    std::vector<prepared_t> prepared_;
    int kind_ = kind_c;
    std::vector<std::size_t> held_;                 // the spin systems holding the kind searched
    std::vector<std::vector<int>> held_blocks_;     // per held spin system, the types it may still be
    std::vector<std::vector<double>> held_factor_;  // and their weights times their other nuclei's sums
};

// The peak of the parabola through (center - h, below), (center, at),
// (center + h, above), kept within h of the center; the best of the three
// points when the parabola opens upwards.
double parabola_peak(double center, double h, double below, double at, double above) {
    const double bend = below - 2.0 * at + above;
    if (!(bend < 0.0)) return below > at && below >= above ? center - h : above > at ? center + h : center;
    const double move = h * (below - above) / (2.0 * bend);
    return center + std::max(-h, std::min(h, move));
}

// The best offset of the held kind. On the whole grid first (with
// `whole_grid`), then parabolas through ever closer points: each brackets
// the peak within a quarter of the spacing of the one before.
double best_offset(const likelihood_t &likelihood, const std::array<double, shift_kinds> &offsets, int kind,
                   bool whole_grid, const referencing_settings_t &settings) {
    const double step = settings.grid_step[kind], range = settings.half_range[kind];
    double center = offsets[kind], h = step / 2.0;
    if (whole_grid) {
        const int points = static_cast<int>(std::lround(2.0 * range / step));
        std::vector<double> values(points + 1);
        int best = 0;
        for (int i = 0; i <= points; i++) {
            values[i] = likelihood.held_total(offsets, -range + i * step);
            if (values[i] > values[best]) best = i;
        }
        center = -range + best * step;
        if (best > 0 && best < points)
            center = parabola_peak(center, step, values[best - 1], values[best], values[best + 1]);
        h = step / 4.0;
    }
    for (int round = 0; round < settings.refinements; round++, h /= 4.0)
        center = parabola_peak(center, h, likelihood.held_total(offsets, center - h),
                               likelihood.held_total(offsets, center), likelihood.held_total(offsets, center + h));
    return center;
}

// The uncertainty of the held kind's estimate d (see offsets.h).
double uncertainty_at(const likelihood_t &likelihood, const std::array<double, shift_kinds> &offsets, int kind,
                      double d, const referencing_settings_t &settings) {
    const double h = settings.grid_step[kind] / 5.0;
    std::vector<double> below, at, above;
    likelihood.held_logs(offsets, d - h, below);
    likelihood.held_logs(offsets, d, at);
    likelihood.held_logs(offsets, d + h, above);
    double curvature = 0.0, slopes = 0.0;
    for (std::size_t i = 0; i < at.size(); i++) {
        curvature += (above[i] - 2.0 * at[i] + below[i]) / (h * h);
        const double slope = (above[i] - below[i]) / (2.0 * h);
        slopes += slope * slope;
    }
    if (!(curvature < 0.0)) return std::numeric_limits<double>::infinity();
    const double within = std::max(1.0 / std::sqrt(-curvature), std::sqrt(slopes) / -curvature);
    return std::sqrt(within * within + settings.protein_spread[kind] * settings.protein_spread[kind]);
}

}  // namespace

const char *shift_kind_key(int kind) {
    static const char *const keys[shift_kinds] = {"C", "CO", "N", "H"};
    return keys[kind];
}

const char *shift_kind_words(int kind) {
    static const char *const words[shift_kinds] = {"aliphatic 13C", "carbonyl 13C", "15N", "1H"};
    return words[kind];
}

int shift_kind_of(char nucleus, double ppm) {
    if (nucleus == 'H') return kind_h;
    if (nucleus == 'N') return kind_n;
    return ppm >= carbonyl_least_ppm ? kind_co : kind_c;
}

double offset_threshold(int kind) {
    static const double thresholds[shift_kinds] = {0.5, 0.5, 1.0, 0.1};
    return thresholds[kind];
}

bool is_significant(int kind, const offset_estimate_t &estimate) {
    return estimate.estimated && std::fabs(estimate.offset) > offset_threshold(kind) &&
           std::fabs(estimate.offset) > significance_sds * estimate.uncertainty;
}

double referencing_log_likelihood(const std::vector<referencing_system_t> &systems,
                                  const std::vector<type_statistics_t> &types,
                                  const std::array<double, shift_kinds> &offsets,
                                  const referencing_settings_t &settings, const std::vector<double> &shares) {
    return likelihood_t(systems, types, settings, shares).total(offsets);
}

std::array<offset_estimate_t, shift_kinds> estimate_offsets(
    const std::vector<referencing_system_t> &systems, const std::vector<type_statistics_t> &types,
    const std::array<std::optional<double>, shift_kinds> &imposed, const referencing_settings_t &settings,
    const std::vector<double> &shares) {
    likelihood_t likelihood(systems, types, settings, shares);
    std::array<offset_estimate_t, shift_kinds> estimates;
    std::array<double, shift_kinds> offsets{};
    for (int k = 0; k < shift_kinds; k++) {
        estimates[k].spin_systems = likelihood.carrying(k);
        if (imposed[k]) offsets[k] = *imposed[k];
    }
    auto estimable = [&](int k) { return !imposed[k] && estimates[k].spin_systems >= settings.least_spin_systems; };
    // 13C first: it carries most of the type information, then 15N, 1H and C'.
    const int order[shift_kinds] = {kind_c, kind_n, kind_h, kind_co};
    // A later round searches a kind again only when another kind has moved
    // by more than a quarter of its grid step since: otherwise its peak is
    // where it was.
    std::array<std::array<double, shift_kinds>, shift_kinds> seen{};
    for (int pass = 0; pass < settings.passes; pass++)
        for (int k : order) {
            if (!estimable(k)) continue;
            bool moved = pass == 0;
            for (int other = 0; other < shift_kinds; other++)
                moved = moved || (other != k && std::fabs(offsets[other] - seen[k][other]) >
                                                    settings.grid_step[other] / 4.0);
            if (!moved) continue;
            likelihood.hold_others(k, offsets);
            offsets[k] = best_offset(likelihood, offsets, k, pass == 0, settings);
            seen[k] = offsets;
        }
    for (int k = 0; k < shift_kinds; k++) {
        estimates[k].offset = offsets[k];
        if (!estimable(k)) continue;
        likelihood.hold_others(k, offsets);
        estimates[k].estimated = true;
        estimates[k].uncertainty = uncertainty_at(likelihood, offsets, k, offsets[k], settings);
    }
    return estimates;
}
