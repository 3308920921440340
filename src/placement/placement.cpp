// SPDX-License-Identifier: GPL-3.0-or-later
// Placing spin systems in the sequence.
//
// What is maximised. A placement puts every spin system to be placed at a
// distinct free position of the sequence or leaves it out (a side-chain
// group, noise, a residue of another molecule). Its log-likelihood,
// relative to every spin system being unrelated to the sequence, is
//     sum over placed s at p:  log(20 P'(type of p | s))
//                              + log(20 P'_before(type of p-1 | s))   (when s saw the residue before and p follows one)
//   + sum over left-out s:     left_out_score
//   + sum over p following p-1, both taken:  link_score(system at p-1, system at p)
// where P' = 0.99 P + 0.01 / 20 keeps a type the shifts rule out possible
// (one wrong shift must not forbid the right place). A spin system of the
// file's connected stretches moves only with its whole stretch, in order.
//
// How it is solved. The link terms make the problem quadratic, so the
// linear assignment (the Hungarian method of engines/) only starts it: the
// stretches are put where their own terms are best, then the single spin
// systems by the linear assignment of their type terms, then twice more
// with the links to the neighbours of the previous round added as linear
// terms. From the best of these a Metropolis search on a falling
// temperature (1.5 to 0.05; 1500 sweeps up to 200 spin systems, (n / 200)^2
// times as many beyond, at most 9 times) swaps segments of the sequence (one to eight
// positions, or a whole stretch) with each other or with the left-out
// places, and turns segments by one place, keeping the best placement seen;
// a last pass at temperature 0 takes only improvements.
//
// How probabilities are made. From the best placement the same moves
// sample placements at temperature 1, i.e. in proportion to their
// likelihood; a spin system's probability of a position is the share of the
// samples (one per sweep) that put it there, and the runner-up the position
// sampled next most often. The random numbers come from one generator with
// a fixed seed and no thread takes part, so a run gives the same result for
// any number of threads.
#include "placement/placement.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <random>

#include "engines/least_cost_assignment.h"

namespace {

constexpr double wrong_link_share = 0.05;   // a link's shift that belongs to another residue
constexpr double type_floor = 0.01;         // P' = (1 - floor) P + floor / 20
constexpr double left_out_score = -3.0;     // a spin system left out, against one placed at a random position
constexpr int longest_segment = 8;          // segments moved at once, beside whole stretches
constexpr int searches = 1;                 // annealing runs from the linear assignment's start
constexpr double least_runner_up = 0.01;    // a runner-up less probable is not given
constexpr double chain_link = 2.0;          // links that the start chains spin systems by
constexpr double large_problem = 200.0;     // spin systems to place beyond which the search is slowed
constexpr double largest_slowing = 9.0;     // at most this many times the sweeps

// Reliability classes of the probability, chosen by measurement on one half
// of the simulated proteins and judged on the other (scripts/placement-
// thresholds.sh on the results of scripts/placement-simulate.sh; the share
// right of each class in the README): strong is the least probability at
// which 98 % or more of the placements were right, likely 85 %, weak 50 %.
constexpr double strong_probability = 0.999;
constexpr double likely_probability = 0.75;
constexpr double weak_probability = 0.50;

double starting_tolerance(const std::string &atom) { return !atom.empty() && atom[0] == 'H' ? 0.05 : 0.5; }
double least_tolerance(const std::string &atom) { return !atom.empty() && atom[0] == 'H' ? 0.002 : 0.02; }

const link_shift_t *shift_of(const std::vector<link_shift_t> &shifts, const std::string &atom) {
    for (const link_shift_t &shift : shifts)
        if (shift.atom == atom) return &shift;
    return nullptr;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

double log_normal(double d, double sd) {
    return -0.5 * (d / sd) * (d / sd) - std::log(sd) - 0.5 * std::log(2.0 * M_PI);
}

double type_term(const std::array<double, 20> &share, int type) {
    double total = 0.0;
    for (double p : share) total += p;
    if (!(total > 0.0) || type < 0) return 0.0;
    return std::log(20.0 * ((1.0 - type_floor) * share[type] / total + type_floor / 20.0));
}

// The search: positions of the sequence are slots 0..P-1, the places of
// spin systems left out slots P.. (one per spin system to be placed).
class placer_t {
public:
    placer_t(const placement_problem_t &problem, const std::vector<link_tolerance_t> &tolerances,
             const placement_settings_t &settings)
        : problem_(problem), settings_(settings), random_(settings.seed) {
        const int n = static_cast<int>(problem.systems.size());
        positions_ = static_cast<int>(problem.residues.size());
        for (int s = 0; s < n; s++)
            if (problem.systems[s].fixed < 0) movable_.push_back(s);
        slots_ = positions_ + static_cast<int>(movable_.size());
        at_.assign(slots_, -1);
        counted_.assign(slots_ + 1, 0u);
        slot_of_.assign(n, -1);
        locked_.assign(slots_, 0);
        for (int p = 0; p < positions_; p++) locked_[p] = problem.residues[p] < 0;
        for (int s = 0; s < n; s++) {
            const int p = problem.systems[s].fixed;
            if (p >= 0 && p < positions_) {
                at_[p] = s;
                slot_of_[s] = p;
                locked_[p] = 1;
            }
        }
        // Stretches: each member's first spin system, its place in it, and its length.
        first_.assign(n, -1);
        offset_.assign(n, 0);
        length_.assign(n, 1);
        for (const std::vector<int> &stretch : problem.stretches)
            for (std::size_t k = 0; k < stretch.size(); k++) {
                first_[stretch[k]] = stretch[0];
                offset_[stretch[k]] = static_cast<int>(k);
                length_[stretch[k]] = static_cast<int>(stretch.size());
            }
        for (int s = 0; s < n; s++)
            if (first_[s] < 0) first_[s] = s;
        longest_ = longest_segment;
        for (int length : length_) longest_ = std::max(longest_, length);
        longest_run_ = std::max(longest_, positions_ / 2);
        // The terms, computed once and shared by the replicas copied from this one.
        auto unary_terms = std::make_shared<std::vector<double>>(static_cast<std::size_t>(n) * positions_, 0.0);
        for (int s = 0; s < n; s++)
            for (int p = 0; p < positions_; p++) (*unary_terms)[s * positions_ + p] = unary(problem.systems[s], p);
        auto link_terms = std::make_shared<std::vector<double>>(static_cast<std::size_t>(n) * n, 0.0);
        for (int a = 0; a < n; a++)
            for (int b = 0; b < n; b++)
                if (a != b) (*link_terms)[a * n + b] = link_score(problem.systems[a], problem.systems[b], tolerances);
        unary_ = unary_terms->data();
        link_ = link_terms->data();
        terms_ = {std::move(unary_terms), std::move(link_terms)};
    }

    // Another generator, and another starting temperature: replicas that
    // start hotter wander further from the common start.
    void diversify(std::uint64_t seed, double hot) {
        random_.seed(seed);
        hot_ = hot;
    }

    // The log-likelihood of a given placement.
    double of_positions(const std::vector<int> &positions) {
        std::fill(at_.begin(), at_.end(), -1);
        int out = positions_;
        for (std::size_t s = 0; s < problem_.systems.size(); s++) {
            const int fixed = problem_.systems[s].fixed;
            const int slot = fixed >= 0 ? fixed : positions[s] >= 0 ? positions[s] : out++;
            at_[slot] = static_cast<int>(s);
        }
        return energy();
    }

    // The length of the search. A larger problem settles more often in a
    // placement less likely than the true one when it cools as fast as a
    // small one (seen on simulated proteins of 300 to 450 spin systems): beyond
    // large_problem spin systems the cooling is slowed by the square of
    // their share of it, at most largest_slowing times.
    long annealing_sweeps() const {
        const double size = static_cast<double>(movable_.size()) / large_problem;
        const double scale = std::min(largest_slowing, std::max(1.0, size * size));
        return static_cast<long>(std::llround(static_cast<double>(settings_.annealing_sweeps) * scale));
    }

    placement_result_t run() {
        start();
        const std::vector<int> started = at_;
        best_ = at_;
        best_energy_ = energy();
        const long moves = std::max<long>(1, slots_);
        const double hot = hot_, cold = 0.05;
        const long sweeps = annealing_sweeps();
        for (int search = 0; search < searches; search++) {
            restore(started);
            for (long sweep = 0; sweep < sweeps; sweep++) {
                const double t = sweeps > 1 ? hot * std::pow(cold / hot, static_cast<double>(sweep) / (sweeps - 1))
                                            : cold;
                for (long m = 0; m < moves; m++) step(t);
            }
        }
        restore(best_);
        improve(moves);
        // Sampling at temperature 1 from the best placement; when it finds a
        // better one, the best is improved and sampled again.
        const int n = static_cast<int>(problem_.systems.size());
        std::vector<std::map<int, long>> seen(n);
        long samples = 0;
        for (int round = 0; round < 3; round++) {
            for (auto &counts : seen) counts.clear();
            samples = 0;
            const double found = best_energy_;
            for (long sweep = 0; sweep < settings_.sampling_sweeps; sweep++) {
                for (long m = 0; m < moves; m++) step(1.0);
                for (int s : movable_) seen[s][slot_of_[s] < positions_ ? slot_of_[s] : -1]++;
                samples++;
            }
            restore(best_);
            if (!(best_energy_ > found + 1e-9)) break;
            improve(moves);
        }
        restore(best_);

        placement_result_t result;
        result.placed.resize(n);
        result.log_likelihood = best_energy_;
        for (int s = 0; s < n; s++) {
            placed_t &placed = result.placed[s];
            const int slot = slot_of_[s];
            placed.position = slot < positions_ ? slot : -1;
            if (problem_.systems[s].fixed >= 0 || samples == 0) {
                placed.probability = 1.0;
                continue;
            }
            // The sampled shares, and those of the neighbouring placements.
            std::map<int, double> share;
            for (const auto &[position, count] : seen[s]) share[position] = static_cast<double>(count) / samples;
            const std::map<int, double> near = neighbourhood(s);
            const auto sampled = share.find(placed.position);
            const auto close = near.find(placed.position);
            placed.probability = std::min(sampled == share.end() ? 0.0 : sampled->second,
                                          close == near.end() ? 0.0 : close->second);
            double most = 0.0;
            for (const std::map<int, double> *shares : {static_cast<const std::map<int, double> *>(&share), &near})
                for (const auto &[position, value] : *shares)
                    if (position != placed.position && value > most) {
                        most = value;
                        placed.runner_up = position;
                    }
            placed.runner_up_probability = most;
            placed.runner_up_left_out = most > 0.0 && placed.runner_up < 0;
        }
        return result;
    }

private:
    // The change of the log-likelihood if the systems `moved` took the
    // slots; -infinity when the move is not allowed. The placement is left
    // as it was.
    double change_of(const std::vector<int> &slots, const std::vector<int> &moved) {
        for (int q : slots)
            if (locked_[q]) return -std::numeric_limits<double>::infinity();
        const double before = local(slots);
        std::vector<int> &old = old_;
        old.resize(slots.size());
        for (std::size_t i = 0; i < slots.size(); i++) old[i] = at_[slots[i]];
        put(slots, moved);
        const double change = stretches_whole(slots) ? local(slots) - before : -std::numeric_limits<double>::infinity();
        put(slots, old);
        return change;
    }

    // The probabilities of spin system s's positions among the placements
    // one move away from the best: its run of agreeing links (or s alone)
    // swapped with each segment as long in the sequence, or with an empty
    // left-out place; each weighs exp(change of the log-likelihood), the
    // best itself 1. -1 stands for left out.
    std::map<int, double> neighbourhood(int s) {
        std::map<int, double> weight;
        const int q = slot_of_[s];
        weight[q < positions_ ? q : -1] += 1.0;
        int a = q, b = q;
        while (a > 0 && b - a + 1 < longest_run_ && pair_at(a) > 0.0) a--;
        while (b + 1 < slots_ && b - a + 1 < longest_run_ && pair_at(b + 1) > 0.0) b++;
        int empty_out = -1;  // the first left-out place free for the whole run
        for (int c = positions_; c + (b - a) < slots_ && empty_out < 0; c++) {
            bool free = c > b || c + (b - a) < a;
            for (int k = 0; k <= b - a && free; k++) free = at_[c + k] < 0;
            if (free) empty_out = c;
        }
        std::vector<int> slots, moved;
        for (int run = 0; run < 2; run++) {
            const int from = run == 0 ? a : q, to = run == 0 ? b : q;
            if (run == 1 && a == b) break;
            const int length = to - from + 1;
            for (int c = 0; c + length <= slots_; c++) {
                if (c >= positions_ && (c != empty_out || q >= positions_)) continue;
                if (c + length > from && from + length > c) continue;
                slots.clear();
                moved.clear();
                for (int k = 0; k < length; k++) slots.push_back(from + k);
                for (int k = 0; k < length; k++) slots.push_back(c + k);
                for (int k = 0; k < length; k++) moved.push_back(at_[c + k]);
                for (int k = 0; k < length; k++) moved.push_back(at_[from + k]);
                const double change = change_of(slots, moved);
                if (!std::isfinite(change)) continue;
                const int lands = c + (q - from);
                weight[lands < positions_ ? lands : -1] += std::exp(std::min(change, 50.0));
            }
        }
        double total = 0.0;
        for (const auto &entry : weight) total += entry.second;
        for (auto &entry : weight) entry.second /= total;
        return weight;
    }

    // Only improvements, until a pass of four sweeps finds none.
    void improve(long moves) {
        for (int pass = 0; pass < 20; pass++) {
            const double before = energy_now_;
            for (long m = 0; m < 4 * moves; m++) step(0.0);
            if (!(energy_now_ > before + 1e-9)) break;
        }
        keep_if_best();
        restore(best_);
    }

    double unary(const placement_system_t &system, int p) const {
        const int type = problem_.residues[p];
        if (type < 0) return 0.0;
        double score = type_term(system.type_share, type);
        if (!system.previous.empty() && p > 0 && problem_.follows[p])
            score += type_term(system.previous_share, problem_.residues[p - 1]);
        return score;
    }

    double unary_at(int s, int slot) const {
        return slot < positions_ ? unary_[s * positions_ + slot] : left_out_score;
    }

    // The link between slot q-1 and slot q.
    double pair_at(int q) const {
        if (q <= 0 || q >= positions_ || !problem_.follows[q]) return 0.0;
        const int a = at_[q - 1], b = at_[q];
        if (a < 0 || b < 0) return 0.0;
        return link_[a * static_cast<int>(problem_.systems.size()) + b];
    }

    double energy() const {
        double total = 0.0;
        for (int q = 0; q < slots_; q++) {
            if (at_[q] >= 0 && problem_.systems[at_[q]].fixed < 0) total += unary_at(at_[q], q);
            total += pair_at(q);
        }
        return total;
    }

    // The energy terms that the slots touch: their own and their links,
    // each link once (a stamp per link marks those counted).
    double local(const std::vector<int> &slots) {
        if (++stamp_ == 0) {
            std::fill(counted_.begin(), counted_.end(), 0u);
            stamp_ = 1;
        }
        double total = 0.0;
        for (int q : slots) {
            if (at_[q] >= 0) total += unary_at(at_[q], q);
            for (int link = q; link <= q + 1; link++)
                if (counted_[link] != stamp_) {
                    counted_[link] = stamp_;
                    total += pair_at(link);
                }
        }
        return total;
    }

    // True when every moved spin system of a stretch has its stretch whole
    // around it: consecutive slots on one side of the sequence's end,
    // positions that follow one another.
    bool stretches_whole(const std::vector<int> &slots) const {
        for (int q : slots) {
            const int s = at_[q];
            if (s < 0 || length_[s] == 1) continue;
            const int start = q - offset_[s];
            if (start < 0 || start + length_[s] > slots_) return false;
            if ((start < positions_) != (start + length_[s] - 1 < positions_)) return false;
            for (int k = 0; k < length_[s]; k++) {
                const int member = at_[start + k];
                if (member < 0 || first_[member] != first_[s] || offset_[member] != k) return false;
                if (start < positions_ && k > 0 && !problem_.follows[start + k]) return false;
            }
        }
        return true;
    }

    std::uint64_t draw(std::uint64_t n) { return random_() % n; }

    // The first slot of a segment: within the sequence three times in four,
    // anywhere otherwise (the left-out places too).
    int segment_start(int length) {
        if (positions_ >= length && draw(4) != 0) return static_cast<int>(draw(positions_ - length + 1));
        return static_cast<int>(draw(slots_ - length + 1));
    }

    // A length from 1 to `longest`, short ones more often: half of them at
    // most a quarter of the longest.
    int segment_length(int longest) {
        const double u = uniform();
        return 1 + static_cast<int>((longest - 1) * u * u + 0.5);
    }
    double uniform() { return static_cast<double>(random_() >> 11) * (1.0 / 9007199254740992.0); }

    // One proposal: two disjoint segments swapped, or one turned by a place.
    void step(double temperature) {
        if (movable_.empty()) return;
        const int longest = longest_;
        std::vector<int> &slots = slots_moved_, &moved = moved_;
        slots.clear();
        moved.clear();
        const std::uint64_t kind = draw(3);
        if (kind == 2) {
            // The run of positive links around a spin system, swapped with a
            // segment as long or moved by one place.
            const int s = movable_[draw(movable_.size())];
            int a = slot_of_[s], b = a;
            while (a > 0 && b - a + 1 < longest_run_ && pair_at(a) > 0.0) a--;
            while (b + 1 < slots_ && b - a + 1 < longest_run_ && pair_at(b + 1) > 0.0) b++;
            const int length = b - a + 1;
            if (draw(2) == 0) {
                if (2 * length > slots_) return;
                const int c = segment_start(length);
                if (a + length > c && c + length > a) return;
                for (int k = 0; k < length; k++) slots.push_back(a + k);
                for (int k = 0; k < length; k++) slots.push_back(c + k);
                moved.resize(slots.size());
                for (int k = 0; k < length; k++) {
                    moved[k] = at_[c + k];
                    moved[length + k] = at_[a + k];
                }
            } else {
                const bool right = draw(2) == 0;
                const int from = right ? a : a - 1, to = right ? b + 1 : b;
                if (from < 0 || to >= slots_) return;
                for (int q = from; q <= to; q++) slots.push_back(q);
                const int span = to - from + 1;
                moved.resize(span);
                for (int k = 0; k < span; k++) moved[k] = at_[from + (right ? (k + span - 1) % span : (k + 1) % span)];
            }
        } else if (kind == 0) {
            const int length = draw(2) == 0 ? 1 : segment_length(longest);
            if (2 * length > slots_) return;
            const int a = segment_start(length), b = segment_start(length);
            if (a + length > b && b + length > a) return;
            for (int k = 0; k < length; k++) slots.push_back(a + k);
            for (int k = 0; k < length; k++) slots.push_back(b + k);
            moved.resize(slots.size());
            for (int k = 0; k < length; k++) {
                moved[k] = at_[b + k];
                moved[length + k] = at_[a + k];
            }
        } else {
            const int length = 1 + segment_length(longest);
            if (length > slots_) return;
            const int a = segment_start(length);
            for (int k = 0; k < length; k++) slots.push_back(a + k);
            moved.resize(length);
            const bool right = draw(2) == 0;
            for (int k = 0; k < length; k++) moved[k] = at_[a + (right ? (k + length - 1) % length : (k + 1) % length)];
        }
        bool any = false;
        for (int q : slots) {
            if (locked_[q]) return;
            any = any || at_[q] >= 0;
        }
        if (!any) return;
        const double before = local(slots);
        std::vector<int> &old = old_;
        old.resize(slots.size());
        for (std::size_t i = 0; i < slots.size(); i++) old[i] = at_[slots[i]];
        put(slots, moved);
        if (!stretches_whole(slots)) {
            put(slots, old);
            return;
        }
        const double change = local(slots) - before;
        if (change >= 0.0 || (temperature > 0.0 && uniform() < std::exp(change / temperature))) {
            energy_now_ += change;
            if (change > 0.0) keep_if_best();
            return;
        }
        put(slots, old);
    }

    void put(const std::vector<int> &slots, const std::vector<int> &systems) {
        for (std::size_t i = 0; i < slots.size(); i++) {
            at_[slots[i]] = systems[i];
            if (systems[i] >= 0) slot_of_[systems[i]] = slots[i];
        }
    }

    void keep_if_best() {
        if (energy_now_ > best_energy_ + 1e-9) {
            best_energy_ = energy_now_;
            best_ = at_;
        }
    }

    void restore(const std::vector<int> &state) {
        at_ = state;
        for (int q = 0; q < slots_; q++)
            if (at_[q] >= 0) slot_of_[at_[q]] = q;
        energy_now_ = energy();
    }

    // Stretches first, each where its own terms are best; then the single
    // spin systems by linear assignment, links to the last round's
    // neighbours added in later rounds.
    // Where a run of spin systems fits best: the first of the free
    // positions that follow one another with the highest sum of its terms;
    // -1 when none beats leaving them out.
    int best_start(const std::vector<int> &run) const {
        const int n = static_cast<int>(problem_.systems.size());
        const int length = static_cast<int>(run.size());
        int best = -1;
        double best_score = left_out_score * length;
        for (int p = 0; p + length <= positions_; p++) {
            bool free = true;
            double score = 0.0;
            for (int k = 0; k < length && free; k++) {
                free = !locked_[p + k] && at_[p + k] < 0 && (k == 0 || problem_.follows[p + k]);
                if (free) score += unary_[run[k] * positions_ + p + k];
                if (free && k > 0) score += link_[run[k - 1] * n + run[k]];
            }
            if (free && score > best_score) {
                best_score = score;
                best = p;
            }
        }
        return best;
    }

    // Chains of spin systems by their links, greedily: the strongest link
    // first, each spin system with at most one before and one after, no
    // ring; the file's stretches are chains from the outset.
    std::vector<std::vector<int>> linked_chains() const {
        const int n = static_cast<int>(problem_.systems.size());
        std::vector<int> after(n, -1), before(n, -1);
        for (const std::vector<int> &stretch : problem_.stretches)
            for (std::size_t k = 1; k < stretch.size(); k++) {
                after[stretch[k - 1]] = stretch[k];
                before[stretch[k]] = stretch[k - 1];
            }
        std::vector<std::pair<double, std::pair<int, int>>> links;
        for (int a : movable_)
            for (int b : movable_)
                if (a != b && link_[a * n + b] > chain_link) links.push_back({-link_[a * n + b], {a, b}});
        std::sort(links.begin(), links.end());
        for (const auto &[score, pair] : links) {
            const auto [a, b] = pair;
            if (after[a] >= 0 || before[b] >= 0) continue;
            int end = b;
            while (after[end] >= 0) end = after[end];
            if (end == a) continue;
            after[a] = b;
            before[b] = a;
        }
        std::vector<std::vector<int>> chains;
        for (int s : movable_) {
            if (before[s] >= 0) continue;
            chains.emplace_back();
            for (int k = s; k >= 0; k = after[k]) chains.back().push_back(k);
        }
        std::stable_sort(chains.begin(), chains.end(),
                         [](const auto &a, const auto &b) { return a.size() > b.size(); });
        return chains;
    }

    void put_run(const std::vector<int> &run, int base) {
        for (std::size_t k = 0; k < run.size(); k++) {
            at_[base + k] = run[k];
            slot_of_[run[k]] = base + static_cast<int>(k);
        }
    }

    // The chains of links first, each where its own terms are best (a
    // chain that fits nowhere: its file stretches alone, the rest as single
    // spin systems); then the single spin systems by linear assignment,
    // links to the last round's neighbours added in later rounds.
    void start() {
        const int n = static_cast<int>(problem_.systems.size());
        int next_out = positions_;
        std::vector<char> placed(n, 0);
        for (const std::vector<int> &chain : linked_chains()) {
            if (chain.size() < 2) continue;
            const int base = best_start(chain);
            if (base >= 0) {
                put_run(chain, base);
                for (int s : chain) placed[s] = 1;
                continue;
            }
            for (const std::vector<int> &stretch : problem_.stretches) {
                if (std::find(chain.begin(), chain.end(), stretch[0]) == chain.end()) continue;
                int at = best_start(stretch);
                if (at < 0) {
                    at = next_out;
                    next_out += static_cast<int>(stretch.size());
                }
                put_run(stretch, at);
                for (int s : stretch) placed[s] = 1;
            }
        }
        std::vector<int> singles;
        for (int s : movable_)
            if (!placed[s]) singles.push_back(s);
        std::vector<int> open;
        for (int p = 0; p < positions_; p++)
            if (!locked_[p] && at_[p] < 0) open.push_back(p);
        const std::vector<int> settled = at_;
        std::vector<int> best_state;
        double best_score = -std::numeric_limits<double>::infinity();
        const int rows = static_cast<int>(singles.size()), columns = static_cast<int>(open.size()) + rows;
        for (int round = 0; round < 3 && rows > 0; round++) {
            std::vector<double> cost(static_cast<std::size_t>(rows) * columns, -left_out_score);
            for (int r = 0; r < rows; r++)
                for (std::size_t c = 0; c < open.size(); c++) {
                    const int s = singles[r], p = open[c];
                    double score = unary_[s * positions_ + p];
                    if (round > 0) {
                        const int before = p > 0 && problem_.follows[p] ? at_[p - 1] : -1;
                        const int after = p + 1 < positions_ && problem_.follows[p + 1] ? at_[p + 1] : -1;
                        if (before >= 0 && before != s) score += link_[before * n + s];
                        if (after >= 0 && after != s) score += link_[s * n + after];
                    }
                    cost[r * columns + c] = -score;
                }
            const std::vector<int> column = least_cost_columns(cost, rows, columns);
            if (column.empty()) break;
            at_ = settled;
            int out = next_out;
            for (int r = 0; r < rows; r++) {
                const int slot = column[r] < static_cast<int>(open.size()) ? open[column[r]] : out++;
                at_[slot] = singles[r];
                slot_of_[singles[r]] = slot;
            }
            const double score = energy();
            if (score > best_score) {
                best_score = score;
                best_state = at_;
            }
        }
        if (!best_state.empty()) at_ = best_state;
        restore(at_);
    }

    const placement_problem_t &problem_;
    placement_settings_t settings_;
    std::mt19937_64 random_;
    int positions_ = 0, slots_ = 0;
    int longest_ = longest_segment;  // the longest segment a move takes
    double hot_ = 1.5;               // the annealing's first temperature
    int longest_run_ = longest_segment;  // the longest run of links a move takes
    std::vector<int> movable_;
    std::vector<int> at_, slot_of_;    // slot → spin system (-1 empty); spin system → slot
    std::vector<char> locked_;         // a slot no move takes: a fixed spin system's, a residue of no type
    std::vector<int> first_, offset_, length_;  // per spin system: its stretch's first, its place, its length
    std::vector<std::shared_ptr<const std::vector<double>>> terms_;  // the storage of the two below
    const double *unary_ = nullptr;    // spin system × position
    const double *link_ = nullptr;     // spin system before × spin system after
    std::vector<int> best_;
    std::vector<int> slots_moved_, moved_, old_;  // a move's scratch
    std::vector<unsigned> counted_;               // per link (slot + 1 places): the stamp of the last count
    unsigned stamp_ = 0;
    double best_energy_ = 0.0, energy_now_ = 0.0;
};

}  // namespace

std::vector<link_tolerance_t> link_tolerances(const std::vector<placement_system_t> &systems) {
    std::vector<std::string> atoms;
    for (const placement_system_t &system : systems)
        for (const link_shift_t &shift : system.previous)
            if (std::find(atoms.begin(), atoms.end(), shift.atom) == atoms.end()) {
                bool held = false;
                for (const placement_system_t &other : systems) held = held || shift_of(other.shifts, shift.atom);
                if (held) atoms.push_back(shift.atom);
            }
    std::sort(atoms.begin(), atoms.end());
    std::map<std::string, std::vector<double>> differences;
    for (std::size_t b = 0; b < systems.size(); b++) {
        if (systems[b].previous.empty()) continue;
        double closest = std::numeric_limits<double>::infinity();
        std::size_t partner = systems.size();
        for (std::size_t a = 0; a < systems.size(); a++) {
            if (a == b) continue;
            double distance = 0.0;
            int shared = 0;
            for (const link_shift_t &shift : systems[b].previous) {
                const link_shift_t *own = shift_of(systems[a].shifts, shift.atom);
                if (!own) continue;
                const double d = (shift.ppm - own->ppm) / starting_tolerance(shift.atom);
                distance += d * d;
                shared++;
            }
            if (shared > 0 && shared == static_cast<int>(systems[b].previous.size()) && distance < closest) {
                closest = distance;
                partner = a;
            }
        }
        if (partner == systems.size()) continue;
        bool within = true;
        for (const link_shift_t &shift : systems[b].previous)
            within = within && std::fabs(shift.ppm - shift_of(systems[partner].shifts, shift.atom)->ppm) <
                                   4.0 * starting_tolerance(shift.atom);
        if (!within) continue;
        for (const link_shift_t &shift : systems[b].previous)
            differences[shift.atom].push_back(std::fabs(shift.ppm - shift_of(systems[partner].shifts, shift.atom)->ppm));
    }
    std::vector<link_tolerance_t> tolerances;
    for (const std::string &atom : atoms) {
        link_tolerance_t tolerance{atom, starting_tolerance(atom), 0.0, 0};
        const std::vector<double> &found = differences[atom];
        tolerance.pairs = static_cast<long>(found.size());
        if (found.size() >= 5) tolerance.sd = std::max(least_tolerance(atom), 1.4826 * median(found));
        double sum = 0.0, squares = 0.0;
        long count = 0;
        for (const placement_system_t &system : systems)
            if (const link_shift_t *own = shift_of(system.shifts, atom)) {
                sum += own->ppm;
                squares += own->ppm * own->ppm;
                count++;
            }
        const double variance = count > 1 ? (squares - sum * sum / count) / (count - 1) : 0.0;
        tolerance.background = std::max(10.0 * tolerance.sd, std::sqrt(2.0 * std::max(variance, 0.0)));
        tolerances.push_back(tolerance);
    }
    return tolerances;
}

double link_score(const placement_system_t &before, const placement_system_t &after,
                  const std::vector<link_tolerance_t> &tolerances) {
    double score = 0.0;
    for (const link_tolerance_t &tolerance : tolerances) {
        const link_shift_t *seen = shift_of(after.previous, tolerance.atom);
        const link_shift_t *own = shift_of(before.shifts, tolerance.atom);
        if (!seen || !own) continue;
        const double d = seen->ppm - own->ppm;
        const double match = std::log(1.0 - wrong_link_share) + log_normal(d, tolerance.sd);
        const double unrelated = log_normal(d, tolerance.background);
        const double high = std::max(match, std::log(wrong_link_share) + unrelated);
        const double mixed = high + std::log(std::exp(match - high) +
                                             std::exp(std::log(wrong_link_share) + unrelated - high));
        score += mixed - unrelated;
    }
    return score;
}

placement_result_t place_spin_systems(const placement_problem_t &problem, const placement_settings_t &settings) {
    const std::vector<link_tolerance_t> tolerances = link_tolerances(problem.systems);
    const int replicas = std::max(1, settings.replicas);
    const placer_t first(problem, tolerances, settings);
    std::vector<placer_t> placers(static_cast<std::size_t>(replicas), first);
    for (int r = 0; r < replicas; r++) placers[r].diversify(settings.seed + static_cast<std::uint64_t>(r), 1.5);
    std::vector<placement_result_t> results(static_cast<std::size_t>(replicas));
    // Each replica on its own generator: which thread runs it changes nothing.
    std::atomic<int> next{0};
    std::exception_ptr failure;
    std::mutex failing;
    auto work = [&] {
        for (int r = next++; r < replicas; r = next++) {
            try {
                results[r] = placers[r].run();
            } catch (...) {
                std::lock_guard<std::mutex> lock(failing);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    std::vector<std::thread> pool;
    for (int k = 1; k < std::min(std::max(1, settings.threads), replicas); k++) {
        try {
            pool.emplace_back(work);
        } catch (const std::system_error &) {
            break;  // no thread to be had: this one runs the rest
        }
    }
    work();
    for (std::thread &thread : pool) thread.join();
    if (failure) std::rethrow_exception(failure);

    // The best replica's placement; a spin system's probability is at most
    // the share of replicas that agree on its position.
    std::size_t best = 0;
    for (std::size_t r = 1; r < results.size(); r++)
        if (results[r].log_likelihood > results[best].log_likelihood + 1e-9) best = r;
    placement_result_t result = results[best];
    for (std::size_t s = 0; s < result.placed.size(); s++) {
        placed_t &placed = result.placed[s];
        if (problem.systems[s].fixed >= 0) continue;
        std::map<int, int> votes;
        for (const placement_result_t &other : results) votes[other.placed[s].position]++;
        placed.probability = std::min(placed.probability, static_cast<double>(votes[placed.position]) / replicas);
        for (const auto &[position, count] : votes) {
            const double share = static_cast<double>(count) / replicas;
            if (position != placed.position && share > placed.runner_up_probability) {
                placed.runner_up = position;
                placed.runner_up_probability = share;
                placed.runner_up_left_out = position < 0;
            }
        }
    }
    // A runner-up below one in a hundred is none.
    for (placed_t &placed : result.placed)
        if (placed.runner_up_probability < least_runner_up) {
            placed.runner_up = -1;
            placed.runner_up_probability = 0.0;
            placed.runner_up_left_out = false;
        }
    result.tolerances = tolerances;
    return result;
}

double placement_log_likelihood(const placement_problem_t &problem, const std::vector<int> &positions) {
    placer_t placer(problem, link_tolerances(problem.systems), {});
    return placer.of_positions(positions);
}

const char *placement_class(double probability) {
    if (probability >= strong_probability) return "strong";
    if (probability >= likely_probability) return "likely";
    if (probability >= weak_probability) return "weak";
    return "none";
}
