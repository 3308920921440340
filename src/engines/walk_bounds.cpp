// SPDX-License-Identifier: GPL-3.0-or-later
// Bounds of the MVND walk: what a subtree of attachments can hold at most,
// and the budget that lets the walk leave such subtrees out.
//
// Why skipping is safe
// --------------------
// Notation. The pair has n shifts (rows) x_0 .. x_{n-1}; an attachment c
// gives each row an atom (distinct atoms within a nucleus). Its term is
//     T(c) = M(c) · (2π)^(-n/2) · det(Σ)^(-1/2) · exp(-Q/2),
// Σ the n × n covariance of the chosen atoms as the model's work matrix
// takes it, Q = eᵀ Σ⁻¹ e with e the shifts minus the atoms' means, and M(c)
// the product over the type's atoms of 1 - miss (observed) or miss
// (missing). A node of the walk at depth d fixes the atoms of rows
// 0 .. d - 1 (the set P); its completions give atoms to the rest, R. The
// walk carries the Cholesky factor of the rows of P: q_d, the sum of their
// squared z-scores, and l_d, the sum of the logarithms of their pivots.
// Skipping is used only when the type's whole covariance C (as the work
// matrix takes it, which is symmetric: for full permutations by
// construction, for selected ones only when the statistics are) is clearly
// positive definite, so every Σ is too.
//
// 1. The partial form bounds every completion (Schur complement). Split Σ
//    into the blocks of P and R. Then
//        Q = q_d + e_Rᵀ S⁻¹ e_R,   S = Σ_RR - Σ_RP Σ_PP⁻¹ Σ_PR,
//    where e_R = x_R - m_R holds the shifts of R minus their conditional
//    means given P, and S, the Schur complement, is their conditional
//    covariance, positive definite. So Q >= q_d. For an atom b, the walk
//    knows both from the cached solve of b's covariances against the rows of
//    P (path.factor, path.gram): m_b = mean_b + Σ_k f_k(b) z_k and
//    s_b = C_bb - Σ_k f_k(b)² (given_mean, 1 / given_inverse).
// 2. One row of the rest bounds the whole rest. For a positive definite S
//    and any vector y, yᵀ S⁻¹ y >= y_j² / S_jj for every j: the least value
//    of the form over y with y_j fixed is y_j² / S_jj, the marginal of a
//    Gaussian. Row j's term depends only on its own atom b, as
//    (x_j - m_b)² / s_b, so with its least value over the row's free
//    candidates (the nearest free atom in conditional z-score),
//        Q >= q_d + F_d,   F_d = max over rows j of R of min over free
//                                candidates b of (x_j - m_b)² / s_b,
//    for every completion. (least_rest_form computes F_d, for full
//    permutations only: selected walks are short and the conditional means
//    cost them more than they save. Elsewhere, and in the quick test before
//    the conditional means exist, F_d = 0.)
// 3. A variance given all other atoms bounds every conditional variance
//    from below. ln det Σ = l_d + Σ over rows j of R of ln p_j, where p_j
//    is the variance of row j's atom given P and the rows of R before j.
//    Those atoms are some of the type's other atoms, and a Gaussian
//    variance never grows when one conditions on more variables, so
//    p_j >= v_b = 1 / (C⁻¹)_bb for row j's atom b, and
//        ln det Σ >= l_d + L_d,   L_d = Σ over rows j of R of the least
//                                       ln v_b over j's candidates
//    (bounds.rest_log_variance; v_b is formed in correlation units, see 8).
// 4. The missing-rate factor: an atom of P is observed, a factor 1 - miss.
//    Of the other atoms of a nucleus k, every completion observes exactly
//    t_k, the rows of k in R (each row takes a distinct atom), and leaves
//    the rest missing. Writing each free atom's factor as miss × g with
//    g = (1 - miss) / miss when observed and 1 when missing, the product is
//    largest when the t_k observed ones are those of largest g:
//        M(c) <= M_d = Π over nuclei k of [ Π over atoms of P_k of (1 - miss)
//                      × Π over the t_k free atoms of k of largest g of (1 - miss)
//                      × Π over its other free atoms of miss ]
//    (log_missing_bound, with the atoms sorted by g once per type). A
//    nucleus whose rows are all in P has its exact factor, and one without
//    shifts the product of its missing rates.
//    Hence every completion's term is at most
//        B_d = M_d (2π)^(-n/2) exp(-(q_d + F_d + l_d + L_d) / 2).
// 5. The budget adds up to at most 1e-13 of the pair's score. Let N be the
//    pair's attachments (completions[0]) and N_d those below a node at
//    depth d. For selected permutations N_d is a bound: the product over
//    rows r >= d of c_r, the candidates of row r less the earlier rows whose
//    candidates all lie among them (those rows hold distinct atoms of row
//    r's candidates, whichever they took). A node has at most c_d children,
//    so N_d = c_d N_{d+1} is at least the sum over its children, and
//    disjoint subtrees and visited leaves together count at most N. A walk
//    keeps, in visiting order, `passed`, the completions of what it has
//    finished (1 per attachment scored, N_d per subtree skipped), and
//    `spent`, the sum over skipped subtrees of N_d B_d / S_t, where S_t is a
//    lower bound of the score when the subtree was skipped (every term is
//    positive, so the terms added so far are one; a part of a split walk
//    adds the sum of the rounds before it). It skips a subtree only if
//        spent + N_d B_d / S_t <= σ (passed + N_d),   σ = 1e-13 / N,
//    so spent <= σ passed at all times: the budget of every completion
//    passed so far, spent or still available. The skipped terms add up to
//    at most Σ N_d B_d <= S Σ N_d B_d / S_t = S spent <= S σ N = 1e-13 S,
//    S the final score, since S_t <= S and passed <= N at the end. Each part
//    of a split walk has its own passed and spent over disjoint
//    completions, so the sum over the parts obeys the same bound.
// 6. Underflow: when the density's exponent bound
//        -(q_d + F_d + l_d + L_d) / 2 - (n/2) ln 2π
//    is below -750, every term's exp() is 0 in double precision (the
//    smallest subnormal double is exp(-744.4)) and the term M · 0 is 0:
//    skipping leaves the sum exactly as it was.
// 7. Overflow: a term with M = 0 and a density that overflows is 0 × ∞, not
//    a number, in the enumeration. The budget skips a subtree only when the
//    density's exponent bound is below 700, where no density overflows.
// 8. Extreme scales. The bounds are formed in correlation units, each
//    correlation as C_ab / σ_a / σ_b with σ = √C_aa, never as
//    C_ab / √(C_aa C_bb): the product of two variances overflows near 1e155
//    and is subnormal, losing digits, near 1e-162. v_b is C_bb times its
//    share w_b = 1 / (R⁻¹)_bb of the correlations R, taken as
//    ln C_bb + ln w_b; the comparison with the budget is made between
//    logarithms, so neither a bound nor σ S_t underflows.
// 9. Rounding. The inequalities hold exactly for the factor the walk
//    computes, which is the exact Cholesky factor of Σ + ΔΣ with
//    |ΔΣ_ab| <= γ_{n+1} σ_a σ_b (γ_k = ku / (1 - ku), u = 2⁻⁵³): in
//    correlation units a perturbation of norm at most n γ_{n+1}, which moves
//    a quadratic form or a log-determinant by a relative n γ_{n+1} ‖R⁻¹‖ to
//    first order, and ‖R⁻¹‖ <= trace(R⁻¹) = Σ 1 / w_b. The exponent of B_d
//    is raised by that much, with a factor 4 to spare (bounds.rounding), so
//    that a bound computed in double precision still covers the terms the
//    walk would compute. Where the covariance is nearly singular, trace(R⁻¹)
//    is large and the allowance (and the loss of skipping) grows with it;
//    double precision cannot promise the terms themselves to more than
//    that relative accuracy, in this walk or in the straightforward
//    enumeration.
// 10. Equal shifts. Where k rows of one nucleus hold exactly the same shift
//    (and the same candidates), the walk takes only the attachments in
//    which their atoms increase with the row (equal_shifts), and the sum is
//    multiplied by the k! orders at the end: the others are the same terms,
//    since they give the same atoms the same values. Everything above then
//    holds for the sum over the walked attachments S' = S / Π k!: its lower
//    bounds S_t are sums of walked terms, a node's walked completions are at
//    most its N_d, and disjoint walked subtrees still count at most N, so
//    the skipped terms add up to at most 1e-13 S', and multiplied by Π k!,
//    to at most 1e-13 S.
#include "engines/walk_bounds.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "input/failure.h"
#include "linalg/thresholds.h"

namespace {

// Below this exponent no density overflows, so a term whose missing-rate
// factor is 0 is 0, never 0 × infinity.
const double largest_safe_exponent = 700.0;

const double ln_2 = std::log(2.0);

// The correlations among the atoms, each formed from the two standard
// deviations, never from the product of the two variances, which overflows
// or underflows at extreme scales. False when a variance is not a positive
// finite number.
bool correlations(const walk_type_t &type, matrix_t<double> &correlation) {
    const int m = type.atoms;
    std::vector<double> sd(m);
    for (int a = 0; a < m; a++) {
        if (!(type.variance[a] > 0.0) || !std::isfinite(type.variance[a])) return false;
        sd[a] = std::sqrt(type.variance[a]);
    }
    allocate_matrix(correlation, m, m, "(correlation)", "(correlation)[0]", __LINE__, __func__);
    for (int a = 0; a < m; a++)
        for (int b = 0; b < m; b++) {
            correlation[a][b] = a == b ? 1.0 : type.pair_cov[a][b] / sd[a] / sd[b];
            if (!std::isfinite(correlation[a][b])) return false;
        }
    return true;
}

// Conditional variance of each atom given all the other atoms, in
// units of its own variance: 1 / (R⁻¹)[a][a] for the correlations R, by a
// Cholesky decomposition of R and the inverse's diagonal from L⁻¹. False when
// R is not clearly positive definite (a pivot lost in rounding counts as
// singular, as in the walk).
bool conditional_variance_shares(const matrix_t<double> &correlation, int m, std::vector<double> &share) {
    matrix_t<double> L, inv;
    allocate_matrix(L, m, m, "(L)", "(L)[0]", __LINE__, __func__);
    allocate_matrix(inv, m, m, "(inv)", "(inv)[0]", __LINE__, __func__);
    for (int r = 0; r < m; r++)
        for (int j = 0; j <= r; j++) {
            double sum = correlation[r][j];
            for (int k = 0; k < j; k++) sum -= L[r][k] * L[j][k];
            if (j < r) {
                L[r][j] = sum / L[j][j];
            } else {
                if (!(sum > pivot_tolerance) || !std::isfinite(sum)) return false;
                L[r][r] = std::sqrt(sum);
            }
        }
    for (int c = 0; c < m; c++)
        for (int r = c; r < m; r++) {
            double sum = r == c ? 1.0 : 0.0;
            for (int k = c; k < r; k++) sum -= L[r][k] * inv[k][c];
            inv[r][c] = sum / L[r][r];
        }
    share.assign(m, 0.0);
    for (int a = 0; a < m; a++) {
        double diagonal = 0.0;
        for (int r = a; r < m; r++) diagonal += inv[r][a] * inv[r][a];
        share[a] = 1.0 / diagonal;
        if (!(share[a] > 0.0) || !std::isfinite(share[a])) return false;
    }
    return true;
}

// At most how many atoms each row can take, whatever the rows before it
// took: its candidates less one for each earlier row whose candidates all
// lie among them (at least 1, still a bound where no attachment exists).
std::vector<double> selected_choices(const walk_rows_t &rows) {
    const int n = rows.n;
    std::vector<std::vector<int>> sorted(rows.candidates.begin(), rows.candidates.end());
    for (std::vector<int> &candidates : sorted) std::sort(candidates.begin(), candidates.end());
    std::vector<double> choices(n);
    for (int r = 0; r < n; r++) {
        int taken = 0;
        for (int p = 0; p < r; p++)
            if (std::includes(sorted[r].begin(), sorted[r].end(), sorted[p].begin(), sorted[p].end())) taken++;
        choices[r] = std::max(1.0, static_cast<double>(sorted[r].size()) - taken);
    }
    return choices;
}

}  // namespace

void prepare_type_bounds(const walk_type_t &type, type_bounds_t &bounds) {
    const stat_data_t &s = *type.s;
    const int m = type.atoms;
    bounds.usable = false;
    if (type.model == SELECTED_PERMUTATIONS && !type.symmetric) return;
    for (int a = 0; a < m; a++)
        if (!(s.miss[a] >= 0.0 && s.miss[a] <= 1.0) || !std::isfinite(s.mean[a])) return;
    matrix_t<double> correlation;
    std::vector<double> share;
    if (!correlations(type, correlation) || !conditional_variance_shares(correlation, m, share)) return;

    allocate_vector(bounds.log_seen, m, "log_seen", __LINE__, __func__);
    allocate_vector(bounds.log_unseen, m, "log_unseen", __LINE__, __func__);
    allocate_vector(bounds.log_variance, m, "log_variance", __LINE__, __func__);
    bounds.inverse_trace = 0.0;
    for (int k = 0; k < NUCLEI; k++) bounds.by_gain[k].clear();
    for (int a = 0; a < m; a++) {
        bounds.log_seen[a] = std::log(1.0 - s.miss[a]);
        bounds.log_unseen[a] = std::log(s.miss[a]);
        bounds.log_variance[a] = std::log(type.variance[a]) + std::log(share[a]);
        bounds.inverse_trace += 1.0 / share[a];
        bounds.by_gain[type.nucleus_of[a]].push_back(a);
    }
    // ln g = ln(1 - miss) - ln(miss) is +inf for a miss of 0 and -inf for a
    // miss of 1, never undefined; ties keep the atoms' order.
    for (std::vector<int> &atoms : bounds.by_gain)
        std::stable_sort(atoms.begin(), atoms.end(), [&](int a, int b) {
            return bounds.log_seen[a] - bounds.log_unseen[a] > bounds.log_seen[b] - bounds.log_unseen[b];
        });
    allocate_vector(bounds.gain_rank, m, "gain_rank", __LINE__, __func__);
    for (const std::vector<int> &atoms : bounds.by_gain)
        for (std::size_t i = 0; i < atoms.size(); i++) bounds.gain_rank[atoms[i]] = static_cast<int>(i);
    bounds.usable = true;
}

double log_missing_bound(const type_bounds_t &type, int k, const char *used, int more) {
    double sum = 0.0;
    for (const int a : type.by_gain[k]) {
        if (used[a]) {
            sum += type.log_seen[a];
        } else if (more > 0) {
            sum += type.log_seen[a];
            more--;
        } else {
            sum += type.log_unseen[a];
        }
    }
    return sum;
}

// Per row, the rows of its nucleus after it; per nucleus, the missing-rate
// bound before any row has taken an atom.
void prepare_missing_bounds(const walk_rows_t &rows, const type_bounds_t &type, walk_bounds_t &bounds) {
    allocate_vector(bounds.rows_after, rows.n, "rows_after", __LINE__, __func__);
    const std::vector<char> none(static_cast<std::size_t>(rows.atoms), 0);
    bounds.log_root_missing = 0.0;
    for (int k = 0; k < NUCLEI; k++) {
        const std::vector<int> &of = rows.rows_of[k];
        const int count = static_cast<int>(of.size());
        for (int p = 0; p < count; p++) bounds.rows_after[of[p]] = count - 1 - p;
        bounds.root_missing[k] = log_missing_bound(type, k, none.data(), count);
        bounds.log_root_missing += bounds.root_missing[k];
    }
}

void prepare_walk_bounds(const walk_rows_t &rows, const type_bounds_t &type, walk_bounds_t &bounds) {
    const int n = rows.n;
    bounds.type = &type;
    if (!type.usable) return;
    for (const double x : rows.x)
        if (!std::isfinite(x)) return;
    prepare_missing_bounds(rows, type, bounds);
    const std::vector<double> &log_variance = type.log_variance;
    // Per depth, from the last: the completions below a node and the least
    // log-determinant of the rows below it.
    allocate_vector(bounds.completions, n + 1, "completions", __LINE__, __func__);
    allocate_vector(bounds.log_completions, n + 1, "log_completions", __LINE__, __func__);
    allocate_vector(bounds.rest_log_variance, n + 1, "rest_log_variance", __LINE__, __func__);
    int taken[NUCLEI] = {0, 0, 0};
    std::vector<double> choices = rows.model == FULL_PERMUTATIONS ? std::vector<double>(n) : selected_choices(rows);
    if (rows.model == FULL_PERMUTATIONS)
        for (int r = 0; r < n; r++) choices[r] = rows.blocks[rows.nucleus[r]].atoms - taken[rows.nucleus[r]]++;
    bounds.completions[n] = 1.0;
    for (int depth = n - 1; depth >= 0; depth--) {
        bounds.completions[depth] = bounds.completions[depth + 1] * choices[depth];
        double least = HUGE_VAL;
        for (const int a : rows.candidates[depth]) least = std::min(least, log_variance[a]);
        bounds.rest_log_variance[depth] = bounds.rest_log_variance[depth + 1] + least;
    }
    for (int depth = 0; depth <= n; depth++) bounds.log_completions[depth] = std::log(bounds.completions[depth]);
    bounds.share = skip_budget / bounds.completions[0];
    bounds.log_share = std::log(bounds.share);
    // Point 9 above.
    bounds.rounding = 4.0 * (n + 2) * (n + 2) * DBL_EPSILON * type.inverse_trace;
    bounds.skipping = bounds.share > 0.0 && std::isfinite(bounds.rounding) && std::isfinite(bounds.rest_log_variance[0]);
    bounds.conditional = bounds.skipping && rows.model == FULL_PERMUTATIONS;
}

double least_rest_form(const walk_rows_t &rows, walk_path_t &path, int depth) {
    const int n = rows.n;
    const double *given_mean = path.given_mean.data(), *given_inverse = path.given_inverse.data();
    double *least = path.least.data();
    for (int j = depth; j < n; j++) least[j] = HUGE_VAL;
    // Every free atom of a row's nucleus is its candidate.
    const int *free = path.free[depth], *first = rows.first_from[depth];
    for (int i = 0; i < path.free_count[depth]; i++) {
        const int b = free[i], k = rows.type->nucleus_of[b];
        const double mean = given_mean[b], inverse = given_inverse[b];
        const std::vector<int> &later = rows.rows_of[k];
        for (std::size_t p = first[k]; p < later.size(); p++) {
            const int j = later[p];
            const double e = rows.x[j] - mean;
            const double t = e * e * inverse;
            least[j] = t < least[j] ? t : least[j];
        }
    }
    double form = 0.0;
    for (int j = depth; j < n; j++) form = std::max(form, least[j]);
    return form;
}

bool negligible_subtree(const walk_rows_t &rows, const walk_bounds_t &bounds, const walk_path_t &path, int depth,
                        double rest_form, double log_score, walk_budget_t &budget) {
    const int r = depth - 1;
    const double q = depth > 0 ? path.q[r] : 0.0, log_det = depth > 0 ? path.log_det[r] : 0.0;
    const double rest_log_det = bounds.rest_log_variance[depth];
    const double allowance =
        bounds.rounding * (0.5 * (q + rest_form + std::fabs(log_det) + std::fabs(rest_log_det)) + rows.norm);
    const double density = -0.5 * (q + rest_form + log_det + rest_log_det) - rows.norm + allowance;
    const double count = bounds.completions[depth];
    if (density < underflow_exponent) {
        budget.passed += count;
        return true;
    }
    if (!(density < largest_safe_exponent)) return false;
    const double log_missing = depth > 0 ? path.log_missing[r] : bounds.log_root_missing;
    const double log_ratio = log_missing + density + bounds.log_completions[depth] - log_score;
    // What may be spent is at most share × (passed + count) <= share × 2 max(passed, count):
    // a larger ratio never fits, and needs no exp().
    while (budget.passed > budget.passed_mark) {
        budget.passed_mark *= 2.0;
        budget.log_passed_mark += ln_2;
    }
    const double log_most = bounds.log_share + ln_2 + std::max(budget.log_passed_mark, bounds.log_completions[depth]);
    if (!(log_ratio <= log_most)) return false;
    const double ratio = std::exp(log_ratio);
    if (!(budget.spent + ratio <= bounds.share * (budget.passed + count))) return false;
    budget.spent += ratio;
    budget.passed += count;
    return true;
}
