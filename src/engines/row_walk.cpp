// SPDX-License-Identifier: GPL-3.0-or-later
// The MVND row walk: incremental Cholesky rows over the candidate atoms of
// each shift, skipping of negligible subtrees, and the general decomposition
// where a covariance is not positive definite.
#include "engines/row_walk.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "engines/least_cost_assignment.h"
#include "engines/walk_bounds.h"
#include "engines/walk_path.h"
#include "engines/walk_rows.h"
#include "linalg/density.h"
#include "linalg/lu.h"
#include "linalg/thresholds.h"

namespace {

// One walk of a subtree: the pair's shared rows and bounds, its own path and
// scratch, and what it has added up.
struct walker_t {
    const walk_rows_t &rows;
    const walk_bounds_t &bounds;
    walk_path_t &path;
    general_scratch_t &general;
    double sum = 0.0;              // the terms of this walk, added in visiting order
    double lost = 0.0;             // what the additions to sum lost to rounding (Neumaier)
    double known = 0.0;            // a lower bound of the pair's score from outside this walk
    double floor = 0.0;            // the walk's floor (walk_floor), in walked attachments' units
    double logged = 0.0;           // the lower bound whose logarithm log_score holds
    double log_score = -HUGE_VAL;  // ln(logged)
    walk_counts_t counts;
    walk_budget_t budget;
    double most = HUGE_VAL;        // the walk stops once it has scored more attachments than this
};

// True when row r may take atom a: the atom is free and, where an earlier
// row has the same shift, larger than that row's atom, so that each set of
// atoms given to equal shifts is walked in one order only.
bool may_take(const walk_rows_t &rows, const walk_path_t &path, int r, int a) {
    const int before = rows.same_before[r];
    return !path.used[a] && (before < 0 || a > path.atom[before]);
}

// ln of the score the budget is measured against: a lower bound of the
// pair's score (every term is positive, so what was added so far bounds the
// score from below), or the walk's floor when that is larger. The floor is
// the term of one attachment scored before the walk (still a lower bound of
// S, so the skipped terms add up to at most 1e-13 S), or a floor F of the
// spin system that a caller gives: against that the skipped terms add up to
// at most 1e-13 max(S, F) instead of 1e-13 S, and a type far below the best
// loses terms that no probability can show. The logarithm is refreshed when
// the bound has grown by a thousandth; an older one is smaller, still a bound.
double log_score(walker_t &w) {
    const double score = std::max(w.known + w.sum, w.floor);
    if (score > w.logged * 1.001) {
        w.logged = score;
        w.log_score = std::log(score);
    }
    return w.log_score;
}

// The missing-rate bound after row r has taken its atom: only its own
// nucleus' part changes, and not even that when the atom is one of the t
// free atoms the bound before took as seen (t the rows of the nucleus from r
// on): the bound then takes the same atoms as seen.
void update_missing_bound(walker_t &w, int r) {
    walk_path_t &path = w.path;
    const type_bounds_t &type = *w.bounds.type;
    const int k = w.rows.nucleus[r], a = path.atom[r];
    const double *before = r > 0 ? path.nucleus_missing[r - 1] : w.bounds.root_missing;
    double *after = path.nucleus_missing[r];
    for (int j = 0; j < NUCLEI; j++) after[j] = before[j];
    int place = type.gain_rank[a];  // among the atoms free before row r
    for (const int p : w.rows.rows_of[k]) {
        if (p >= r) break;
        if (type.gain_rank[path.atom[p]] < type.gain_rank[a]) place--;
    }
    if (place > w.bounds.rows_after[r])
        after[k] = log_missing_bound(type, k, path.used.data(), w.bounds.rows_after[r]);
    path.log_missing[r] = after[H_NUCLEUS] + after[C_NUCLEUS] + after[N_NUCLEUS];
}

// Completes row r with atom a's cached solve, and, when r is the last row of
// its nucleus, that nucleus's missing-rate factor: every way a row is taken
// (a step of the walk, the first rows of a split walk, a part replaying
// them) comes through here. False when the rows so far are not clearly
// positive definite; a pivot lost in the rounding of its atom's variance is
// left to the general decomposition, which reports a singular matrix where
// the rows are, and works out the missing rates itself.
bool factor_row(walker_t &w, int r, int a) {
    const walk_rows_t &rows = w.rows;
    walk_path_t &path = w.path;
    const walk_type_t &type = *rows.type;
    const double pivot = type.variance[a] - path.gram_at(r)[static_cast<std::size_t>(a) * rows.atoms + a];
    if (!(pivot > pivot_tolerance * type.variance[a])) return false;
    path.diagonal[r] = std::sqrt(pivot);
    path.z[r] = (rows.x[r] - type.mean[a] - path.gram_z[r][a]) / path.diagonal[r];
    path.q[r] = (r > 0 ? path.q[r - 1] : 0.0) + path.z[r] * path.z[r];
    path.log_det[r] = (r > 0 ? path.log_det[r - 1] : 0.0) + std::log(pivot);
    if (w.bounds.skipping && r + 1 < rows.n) update_missing_bound(w, r);
    if (rows.last_of_nucleus[r]) path.missing[rows.nucleus[r]] = nucleus_missing_rate(rows, path, rows.nucleus[r]);
    return true;
}

// Row r of the factor for every free atom a later row may take, and, for the
// conditional bound, the conditional means and variances of those atoms
// given rows 0 .. r.
void extend_factor(walker_t &w, int r) {
    walk_path_t &path = w.path;
    const int m = w.rows.atoms, a = path.atom[r];
    const char *wanted = w.rows.wanted_after[r];
    const int *from = path.free[r];
    int *free = path.free[r + 1], count = 0;
    for (int i = 0; i < path.free_count[r]; i++)
        if (from[i] != a && wanted[from[i]]) free[count++] = from[i];
    path.free_count[r + 1] = count;
    const double diagonal = path.diagonal[r], z = path.z[r];
    const walk_type_t &type = *w.rows.type;
    const double *cov = type.cov_after[a], *mean = type.mean.data(), *variance = type.variance.data();
    const double *gram = path.gram_at(r), *products = gram + static_cast<std::size_t>(a) * m;
    double *next = path.gram_at(r + 1), *factor = path.factor[r];
    const double *gram_z = path.gram_z[r];
    double *next_z = path.gram_z[r + 1];
    for (int i = 0; i < count; i++) {
        const int b = free[i];
        factor[b] = (cov[b] - products[b]) / diagonal;
        const std::size_t at = static_cast<std::size_t>(b) * m + b;
        next[at] = gram[at] + factor[b] * factor[b];
        next_z[b] = gram_z[b] + factor[b] * z;
    }
    if (!w.bounds.conditional) return;
    double *given_mean = path.given_mean.data(), *given_inverse = path.given_inverse.data();
    for (int i = 0; i < count; i++) {
        const int b = free[i];
        given_mean[b] = mean[b] + next_z[b];
        const double given = variance[b] - next[static_cast<std::size_t>(b) * m + b];
        given_inverse[b] = given > pivot_tolerance * variance[b] ? 1.0 / given : 0.0;
    }
}

// The inner products of the factor rows of every two free later atoms, for
// the steps below row r.
void extend_gram(walker_t &w, int r) {
    walk_path_t &path = w.path;
    const int m = w.rows.atoms, count = path.free_count[r + 1];
    const int *free = path.free[r + 1];
    const double *gram = path.gram_at(r), *factor = path.factor[r];
    double *next = path.gram_at(r + 1);
    for (int i = 0; i < count; i++) {
        const int b = free[i];
        const double fb = factor[b];
        const double *from = gram + static_cast<std::size_t>(b) * m;
        double *to = next + static_cast<std::size_t>(b) * m;
        for (int k = 0; k < count; k++) {
            const int c = free[k];
            to[c] = from[c] + fb * factor[c];
        }
    }
}

double term(const walker_t &w, double density) {
    const double *missing = w.path.missing;
    if (w.rows.model == FULL_PERMUTATIONS) return missing[H_NUCLEUS] * missing[C_NUCLEUS] * missing[N_NUCLEUS] * density;
    return density * (missing[N_NUCLEUS] * (missing[H_NUCLEUS] * missing[C_NUCLEUS]));
}

// Adds a term with Neumaier's compensation: a walk adds millions of terms,
// and a plain sum would drift by their count times the rounding unit.
void add_term(walker_t &w, double value) {
    const double sum = w.sum + value;
    w.lost += std::fabs(w.sum) >= std::fabs(value) ? (w.sum - sum) + value : (value - sum) + w.sum;
    w.sum = sum;
}

// The walk's terms added up.
double total_of(const walker_t &w) { return w.sum + w.lost; }

// A completed attachment whose rows are positive definite.
void add_factored_attachment(walker_t &w) {
    const int n = w.rows.n;
    const double d = w.path.q[n - 1], hl = 0.5 * w.path.log_det[n - 1];
    add_term(w, term(w, std::exp(((-d) * 0.5 - w.rows.norm) - hl)));
    w.counts.visited++;
    w.budget.passed++;
}

// A completed attachment decomposed in general, with the rows laid out as
// the model's own work matrix has them (nucleus by nucleus; within one, by
// atom for full permutations, by shift for selected ones), so that the
// decomposition meets the same pivots, a singular matrix included. A negative
// quadratic form is taken as -d with the log-determinant's half negated.
void add_general_attachment(walker_t &w) {
    const walk_rows_t &rows = w.rows;
    general_scratch_t &g = w.general;
    const int n = rows.n;
    if (g.order.empty()) allocate_general_scratch(n, g);
    const std::vector<int> &atom = w.path.atom;
    std::vector<int> &order = g.order;
    for (int r = 0; r < n; r++) order[r] = r;
    auto key = [&](int r) { return rows.model == FULL_PERMUTATIONS ? atom[r] : rows.shift[r]; };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return rows.nucleus[a] != rows.nucleus[b] ? rows.nucleus[a] < rows.nucleus[b] : key(a) < key(b);
    });
    for (int i = 0; i < n; i++) {
        const int r = order[i], a = atom[r];
        g.values[i] = rows.x[r];
        g.means[i] = rows.s->mean[a];
        g.cov[i][i] = rows.s->cov[a][a];
        for (int k = 0; k < i; k++) g.cov[i][k] = g.cov[k][i] = rows.type->pair_cov[a][atom[order[k]]];
    }
    double hl = 0.5 * lu_matrix_log_determinant(g.cov, n);
    lu_decomposition_mat_inv(g.cov, n, g.inv_cov);
    double d = mahalanobis(g.values.data(), g.means.data(), g.inv_cov, n);
    if (d < 0) {
        d = -d;
        hl = -hl;
    }
    for (int k = 0; k < NUCLEI; k++) w.path.missing[k] = nucleus_missing_rate(rows, w.path, k);
    add_term(w, term(w, std::exp(((-d) * 0.5 - rows.norm) - hl)));
    w.counts.visited++;
    w.budget.passed++;
}

// Every completion of the path's first r rows, decomposed in general.
void visit_general(walker_t &w, int r) {
    if (r == w.rows.n) {
        add_general_attachment(w);
        return;
    }
    for (const int a : w.rows.candidates[r]) {
        if (!may_take(w.rows, w.path, r, a) || w.counts.visited > w.most) continue;
        w.path.atom[r] = a;
        w.path.used[a] = 1;
        visit_general(w, r + 1);
        w.path.used[a] = 0;
    }
}

// True (and counted) when the subtree below the path's first `depth` rows
// may be skipped; rest_form bounds the form of the rows from depth on.
bool skip(walker_t &w, int depth, double rest_form) {
    if (!w.bounds.skipping ||
        !negligible_subtree(w.rows, w.bounds, w.path, depth, rest_form, log_score(w), w.budget))
        return false;
    w.counts.skipped += w.bounds.completions[depth];
    return true;
}

void visit(walker_t &w, int r);

// The conditional bound costs a pass over the free atoms for every row
// below; a subtree of this many attachments or fewer is scored for less.
const double few_completions = 6.0;

// Row r has taken atom a and its factor row is complete: the attachment is
// scored, or the rows below are walked unless they may be skipped.
void descend(walker_t &w, int r) {
    const walk_rows_t &rows = w.rows;
    walk_path_t &path = w.path;
    if (r == rows.n - 1) {
        add_factored_attachment(w);
    } else if (!skip(w, r + 1, 0.0)) {
        extend_factor(w, r);
        if (!w.bounds.conditional || w.bounds.completions[r + 1] <= few_completions ||
            !skip(w, r + 1, least_rest_form(rows, path, r + 1))) {
            if (r + 2 < rows.n) extend_gram(w, r);
            visit(w, r + 1);
        }
    }
}

void visit(walker_t &w, int r) {
    walk_path_t &path = w.path;
    for (const int a : w.rows.candidates[r]) {
        if (!may_take(w.rows, path, r, a) || w.counts.visited > w.most) continue;
        path.atom[r] = a;
        path.used[a] = 1;
        if (factor_row(w, r, a))
            descend(w, r);
        else
            visit_general(w, r + 1);
        path.used[a] = 0;
    }
}

// Walks with at least walk_limits_t::split_completions completions are
// split: the subtrees below their first split_depth rows are parts that may
// run on other threads, in rounds of round_size parts, each round against the
// sum of the rounds before.
const int split_depth = 2;
const int round_size = 8;

// The part of a split walk below one choice of atoms for its first rows.
struct walk_part_t {
    int atoms[split_depth];  // atoms of the first rows
    int rows;                // how many: split_depth, or fewer when the last of them needs the general decomposition
    double known = 0.0;      // the sum of the walk before its round: a lower bound of the pair's score
    double sum = 0.0;        // its terms, added in visiting order
    walk_counts_t counts;
};

}  // namespace

struct mvnd_type_t {
    walk_type_t layout;
    type_bounds_t bounds;
};

// One pair's walk: its type, rows and bounds, shared read-only by its parts;
// the sum and counts of its first subtree; and the parts still to run.
struct mvnd_walk_t {
    std::shared_ptr<const mvnd_type_t> type;
    walk_rows_t rows;
    walk_bounds_t bounds;
    double most = HUGE_VAL;    // each walk stops once it has scored more attachments than this
    double floor = 0.0;        // what each walk skips against at least (walk_floor)
    double first_sum = 0.0;    // the first subtree's terms (the whole walk's when not split)
    walk_counts_t counts;      // the first subtree's counts and those of skipped choices of the first rows
    std::vector<walk_part_t> parts;
    int released = 0;          // parts released so far, in rounds
};

namespace {

// The conditional bound of the form at the root, where the atoms' means and
// variances are their own (0 where that bound is not used).
double root_form(walker_t &w) { return w.bounds.conditional ? least_rest_form(w.rows, w.path, 0) : 0.0; }

// A fresh walker over the pair, with its own path and scratch (the general
// decomposition's only once a path needs it).
struct walk_scratch_t {
    walk_path_t path;
    general_scratch_t general;

    explicit walk_scratch_t(const walk_rows_t &rows) { allocate_walk_path(rows, path); }
};

walker_t walker_over(const mvnd_walk_t &walk, walk_scratch_t &scratch, double known) {
    return walker_t{walk.rows, walk.bounds, scratch.path, scratch.general, 0.0, 0.0, known, walk.floor, 0.0,
                    -HUGE_VAL, {}, {}, walk.most};
}

// Gives the first rows the part's atoms again, completing the factor for
// each, as the walk that recorded the part found them.
void replay(walker_t &w, const walk_part_t &part) {
    for (int r = 0; r < part.rows; r++) {
        const int a = part.atoms[r];
        w.path.atom[r] = a;
        w.path.used[a] = 1;
        if (r + 1 == part.rows) break;
        factor_row(w, r, a);
        extend_factor(w, r);
        extend_gram(w, r);
    }
}

// Records every choice of atoms for the first split_depth rows that the
// walk cannot skip, but for the first one, whose subtree was walked already.
void record_parts(walker_t &w, int r, mvnd_walk_t &walk, int atoms[split_depth], bool first) {
    walk_path_t &path = w.path;
    for (const int a : w.rows.candidates[r]) {
        if (!may_take(w.rows, path, r, a)) continue;
        atoms[r] = a;
        path.atom[r] = a;
        path.used[a] = 1;
        const bool own = first;
        first = false;
        if (!factor_row(w, r, a)) {
            walk_part_t part;
            std::copy(atoms, atoms + r + 1, part.atoms);
            part.rows = r + 1;
            walk.parts.push_back(part);
        } else {
            if (r + 1 == split_depth) {
                if (!own) {
                    walk_part_t part;
                    std::copy(atoms, atoms + split_depth, part.atoms);
                    part.rows = split_depth;
                    walk.parts.push_back(part);
                }
            } else if (own || !skip(w, r + 1, 0.0)) {
                extend_factor(w, r);
                if (own || !w.bounds.conditional || !skip(w, r + 1, least_rest_form(w.rows, path, r + 1))) {
                    extend_gram(w, r);
                    record_parts(w, r + 1, walk, atoms, own);
                }
            }
        }
        path.used[a] = 0;
    }
}

// The first choice of atoms for the first split_depth rows, or false when
// the first candidates leave a row none or one of them needs the general
// decomposition.
bool first_choice(walker_t &w, walk_part_t &part) {
    part.rows = split_depth;
    for (int r = 0; r < split_depth; r++) {
        const std::vector<int> &candidates = w.rows.candidates[r];
        auto free = std::find_if(candidates.begin(), candidates.end(),
                                 [&](int a) { return may_take(w.rows, w.path, r, a); });
        if (free == candidates.end()) return false;
        part.atoms[r] = *free;
        w.path.atom[r] = *free;
        w.path.used[*free] = 1;
        if (!factor_row(w, r, *free)) return false;
        if (r + 1 < split_depth) {
            extend_factor(w, r);
            extend_gram(w, r);
        }
    }
    return true;
}

// A walk of at least this many completions first scores one attachment
// chosen as a whole (below): the few microseconds it costs pay where the
// first attachments of the walk's own order are poor, which would leave the
// walk nothing to skip against until it meets better ones.
const double probe_completions = 1e4;

// Per row, its atom in the attachment that gives each nucleus' shifts the
// atoms of least total cost, a row's cost at an atom being
// -ln(the atom's normal density at the shift) - ln((1 - miss) / miss): the
// attachment the shifts favour most, each taken alone, missing rates
// included. Empty when a cost is not finite (a missing rate of 0 or 1) or a
// row would take an atom that is not its candidate.
std::vector<int> least_cost_attachment(const walk_rows_t &rows) {
    const walk_type_t &type = *rows.type;
    std::vector<int> atom(static_cast<std::size_t>(rows.n), -1);
    for (int k = 0; k < NUCLEI; k++) {
        const std::vector<int> &of = rows.rows_of[k];
        const nucleus_t &x = rows.blocks[k];
        if (of.empty()) continue;
        std::vector<double> cost;
        for (const int r : of)
            for (int a = x.first; a < x.first + x.atoms; a++) {
                const double residual = rows.x[r] - type.mean[a], miss = rows.s->miss[a];
                cost.push_back(0.5 * (residual * residual / type.variance[a] + std::log(type.variance[a])) -
                               std::log((1.0 - miss) / miss));
            }
        const std::vector<int> column = least_cost_columns(cost, static_cast<int>(of.size()), x.atoms);
        if (column.empty()) return {};
        for (std::size_t i = 0; i < of.size(); i++) {
            const int r = of[i], a = x.first + column[i];
            const std::vector<int> &candidates = rows.candidates[r];
            if (std::find(candidates.begin(), candidates.end(), a) == candidates.end()) return {};
            atom[r] = a;
        }
    }
    return atom;
}

// The term of the walk's attachment giving row r atom[r], or 0 when its rows
// are not clearly positive definite. Every term is part of the pair's score
// (an attachment that gives equal shifts their atoms in another order than
// the walk's has the same term as the walked one), so it bounds the score
// from below before the walk has added anything.
double attachment_term(const mvnd_walk_t &walk, const std::vector<int> &atom) {
    walk_scratch_t scratch(walk.rows);
    walker_t w = walker_over(walk, scratch, 0.0);
    const int n = walk.rows.n;
    for (int r = 0; r < n; r++) {
        w.path.atom[r] = atom[r];
        w.path.used[atom[r]] = 1;
        if (!factor_row(w, r, atom[r])) return 0.0;
        if (r + 1 < n) {
            extend_factor(w, r);
            extend_gram(w, r);
        }
    }
    add_factored_attachment(w);
    return total_of(w);
}

// The floor a walk skips against, in walked attachments' units (over the
// repeats of equal shifts): the spin system's (0 unless its caller gives
// one), or, when larger, the term of the pair's least-cost attachment.
double walk_floor(const value_data_t &v, const mvnd_walk_t &walk) {
    const double floor = v.score_floor / walk.rows.repeats;
    if (!walk.bounds.skipping || walk.bounds.completions[0] < probe_completions) return floor;
    const std::vector<int> atom = least_cost_attachment(walk.rows);
    return atom.empty() ? floor : std::max(floor, attachment_term(walk, atom));
}

}  // namespace

std::shared_ptr<const mvnd_type_t> prepare_mvnd_type(const stat_data_t &s, mvnd_model_t model) {
    auto type = std::make_shared<mvnd_type_t>();
    prepare_walk_type(s, model, type->layout);
    prepare_type_bounds(type->layout, type->bounds);
    return type;
}

std::shared_ptr<mvnd_walk_t> start_mvnd_walk(const value_data_t &v, std::shared_ptr<const mvnd_type_t> type,
                                             const row_candidates_t candidates[NUCLEI],
                                             const walk_limits_t &limits) {
    auto walk = std::make_shared<mvnd_walk_t>();
    walk->type = std::move(type);
    walk->most = limits.most;
    lay_out_walk_rows(v, walk->type->layout, candidates, walk->rows);
    prepare_walk_bounds(walk->rows, walk->type->bounds, walk->bounds);
    walk->floor = walk_floor(v, *walk);
    const walk_rows_t &rows = walk->rows;
    const bool split = walk->bounds.skipping && rows.n >= split_depth + 3 &&
                       walk->bounds.completions[0] >= limits.split_completions;
    if (split) {
        walk_scratch_t scratch(rows);
        walker_t w = walker_over(*walk, scratch, 0.0);
        walk_part_t first;
        if (first_choice(w, first)) {
            // The first subtree, then the other choices against its sum.
            descend(w, split_depth - 1);
            walk->first_sum = total_of(w);
            walk_scratch_t fresh(rows);
            walker_t choices = walker_over(*walk, fresh, w.sum);
            choices.budget = w.budget;
            int atoms[split_depth];
            if (!skip(choices, 0, root_form(choices))) record_parts(choices, 0, *walk, atoms, true);
            walk->counts = w.counts;
            walk->counts.skipped += choices.counts.skipped;
            for (walk_part_t &part : walk->parts) part.sum = 0.0;
            return walk;
        }
    }
    walk_scratch_t whole(rows);
    walker_t all = walker_over(*walk, whole, 0.0);
    if (!skip(all, 0, root_form(all))) visit(all, 0);
    walk->first_sum = total_of(all);
    walk->counts = all.counts;
    return walk;
}

int release_walk_parts(mvnd_walk_t &walk) {
    const int count = std::min(round_size, static_cast<int>(walk.parts.size()) - walk.released);
    double known = walk.first_sum;
    for (int i = 0; i < walk.released; i++) known += walk.parts[i].sum;
    for (int i = walk.released; i < walk.released + count; i++) walk.parts[i].known = known;
    walk.released += count;
    return count;
}

void run_walk_part(mvnd_walk_t &walk, int i) {
    walk_part_t &part = walk.parts[i];
    walk_scratch_t scratch(walk.rows);
    walker_t w = walker_over(walk, scratch, part.known);
    replay(w, part);
    const int r = part.rows - 1;
    if (part.rows < split_depth || !factor_row(w, r, part.atoms[r]))
        visit_general(w, part.rows);
    else
        descend(w, r);
    part.sum = total_of(w);
    part.counts = w.counts;
}

double finish_mvnd_walk(const mvnd_walk_t &walk, walk_counts_t *counts) {
    double sum = walk.first_sum;
    walk_counts_t total = walk.counts;
    for (const walk_part_t &part : walk.parts) {
        sum += part.sum;
        total.visited += part.counts.visited;
        total.skipped += part.counts.skipped;
    }
    if (counts != nullptr) *counts = total;
    return sum * walk.rows.repeats;
}

double mvnd_attachment_sum(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                           const row_candidates_t candidates[NUCLEI], walk_counts_t *counts, double most) {
    walk_limits_t limits;
    limits.most = most;
    std::shared_ptr<mvnd_walk_t> walk = start_mvnd_walk(v, prepare_mvnd_type(s, model), candidates, limits);
    for (int first = 0, count; (count = release_walk_parts(*walk)) > 0; first += count)
        for (int i = first; i < first + count; i++) {
            walk_counts_t so_far;
            finish_mvnd_walk(*walk, &so_far);
            if (so_far.visited > most) return finish_mvnd_walk(*walk, counts);
            run_walk_part(*walk, i);
        }
    return finish_mvnd_walk(*walk, counts);
}
