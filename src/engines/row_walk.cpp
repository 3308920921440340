// The MVND row walk: incremental Cholesky rows, bounds for skipping, and the
// general decomposition where a covariance is not positive definite.
#include "engines/row_walk.h"

#include <algorithm>
#include <cmath>

#include "input/failure.h"
#include "linalg/density.h"
#include "linalg/lu.h"

namespace {

// Relative share of the pair's score that skipped subtrees may hold in total.
const double skip_budget = 1e-13;

// An exponent below this gives exp() == 0, whatever follows.
const double zero_exponent = -750.0;

struct row_walk_t {
    const stat_data_t *s = nullptr;      // the type
    mvnd_model_t model = FULL_PERMUTATIONS;
    int n = 0;                           // rows
    std::vector<int> nucleus;            // nucleus of each row
    std::vector<int> last_of_nucleus;    // 1 for the last row of its nucleus
    std::vector<double> x;               // shift of each row
    std::vector<const std::vector<int> *> candidates;  // atoms each row may take
    nucleus_t blocks[NUCLEI];
    double norm = 0.0;                   // 0.5 × n × ln(2π)
    matrix_t<double> pair_cov;           // model_covariance of every pair of type positions

    // Current path. The Cholesky factor is kept per candidate atom: solved[b]
    // holds the forward solve, against the rows assigned so far, of atom b's
    // covariances with their atoms. It is the factor's row for b should b
    // take the next row, and grows by one entry per row, so a row costs one
    // entry for each atom that may still come instead of a whole solve.
    std::vector<int> atom;
    std::vector<char> used;              // per type position
    matrix_t<double> solved;             // atoms × n: partial forward solves
    matrix_t<double> solved2;            // (n + 1) × atoms: |solved[b]|² over the first `depth` rows
    matrix_t<double> solved_z;           // (n + 1) × atoms: solved[b] · z over the first `depth` rows
    std::vector<std::vector<int>> later_atoms;  // per row: candidates of the rows after it
    std::vector<double> diagonal;        // the factor's diagonal entry of each row
    std::vector<double> z;               // forward substitution of the shifts minus means
    std::vector<double> q;               // partial quadratic form after each row
    std::vector<double> log_det;         // partial log-determinant after each row
    std::vector<double> z2;              // partial sum of squared z-scores after each row
    double missing[NUCLEI] = {1.0, 1.0, 1.0};  // missing-rate factor of each completed nucleus

    // Skipping, full permutations only.
    bool skipping = false;
    std::vector<double> completions;     // attachments below a node with `depth` rows assigned, depth 0..n
    std::vector<double> rest_log_var;    // lower bound of the log-determinant of the rows below
    std::vector<double> row_z2;          // n × atoms: squared z-score of each row's shift at each type position
    std::vector<double> later_z2;        // per depth: least squared z-scores of the rows of later nuclei
    double largest_eigenvalue = 0.0;     // upper bound of the largest eigenvalue of the type's correlations
    std::vector<double> missing_bound;   // bound of the missing-rate product after each row
    std::vector<double> seen_ratio;      // (1 - miss) / max(miss, 1 - miss) per type position
    double all_missing_bound = 1.0;      // product of max(miss, 1 - miss) over the type's atoms
    double share_per_completion = 0.0;   // skip_budget / total attachments

    // General decomposition, for rows whose covariance is not positive definite.
    matrix_t<double> cov, inv_cov;
    std::vector<double> means;

    double sum = 0.0;
    walk_counts_t counts;
};

// Covariance between two type positions as the model's work matrix takes it
// for a later row's atom a and an earlier row's atom b: between nuclei the
// element of the later nucleus' atom; within a nucleus the element of the
// earlier shift's atom (selected permutations) or of the smaller atom (full).
double model_covariance(const stat_data_t &s, mvnd_model_t model, int a, int b) {
    auto nucleus_of = [&](int t) { return t < s.H_num ? 0 : t < s.H_num + s.C_num ? 1 : 2; };
    if (nucleus_of(a) != nucleus_of(b)) return nucleus_of(a) > nucleus_of(b) ? s.cov[a][b] : s.cov[b][a];
    if (model == SELECTED_PERMUTATIONS) return s.cov[b][a];
    return s.cov[std::min(a, b)][std::max(a, b)];
}

// Covariance of row r's atom with row j's atom, j < r.
inline double covariance(const row_walk_t &w, int r, int j) { return w.pair_cov[w.atom[r]][w.atom[j]]; }

double dot(const double *a, const double *b, int n) {
    double sum = 0.0;
    for (int k = 0; k < n; k++) sum += a[k] * b[k];
    return sum;
}

// Completes row r with its atom's cached solve; false when the rows so far
// are not positive definite.
bool factor_row(row_walk_t &w, int r) {
    const int a = w.atom[r];
    const double pivot = w.s->cov[a][a] - w.solved2[r][a];
    if (!(pivot > 0.0)) return false;
    w.diagonal[r] = std::sqrt(pivot);
    w.z[r] = (w.x[r] - w.s->mean[a] - w.solved_z[r][a]) / w.diagonal[r];
    w.q[r] = (r > 0 ? w.q[r - 1] : 0.0) + w.z[r] * w.z[r];
    w.log_det[r] = (r > 0 ? w.log_det[r - 1] : 0.0) + std::log(pivot);
    if (w.skipping) {
        w.missing_bound[r] = (r > 0 ? w.missing_bound[r - 1] : w.all_missing_bound) * w.seen_ratio[a];
        w.z2[r] = (r > 0 ? w.z2[r - 1] : 0.0) + w.row_z2[static_cast<std::size_t>(r) * w.used.size() + a];
    }
    return true;
}

// Extends the solves of the atoms that may take a later row by row r.
void extend_solves(row_walk_t &w, int r) {
    const int a = w.atom[r];
    const double *La = w.solved[a];
    for (const int b : w.later_atoms[r]) {
        if (w.used[b]) continue;
        double *Lb = w.solved[b];
        Lb[r] = (w.pair_cov[b][a] - dot(Lb, La, r)) / w.diagonal[r];
        w.solved2[r + 1][b] = w.solved2[r][b] + Lb[r] * Lb[r];
        w.solved_z[r + 1][b] = w.solved_z[r][b] + Lb[r] * w.z[r];
    }
}

double nucleus_missing_rate(const row_walk_t &w, int k) {
    const nucleus_t &x = w.blocks[k];
    return missing_rate_factor(*w.s, x, [&](int j) { return w.used[x.first + j] != 0; });
}

double term(const row_walk_t &w, double density) {
    if (w.model == FULL_PERMUTATIONS)
        return w.missing[H_NUCLEUS] * w.missing[C_NUCLEUS] * w.missing[N_NUCLEUS] * density;
    return density * (w.missing[N_NUCLEUS] * (w.missing[H_NUCLEUS] * w.missing[C_NUCLEUS]));
}

// A completed attachment whose rows are positive definite.
void add_factored_attachment(row_walk_t &w) {
    const double d = w.q[w.n - 1], hl = 0.5 * w.log_det[w.n - 1];
    w.sum += term(w, std::exp(((-d) * 0.5 - w.norm) - hl));
    w.counts.visited++;
}

// A completed attachment decomposed in general: a negative quadratic form is
// taken as -d with the log-determinant's half negated.
void add_general_attachment(row_walk_t &w) {
    for (int r = 0; r < w.n; r++) {
        w.means[r] = w.s->mean[w.atom[r]];
        w.cov[r][r] = w.s->cov[w.atom[r]][w.atom[r]];
        for (int j = 0; j < r; j++) w.cov[r][j] = w.cov[j][r] = covariance(w, r, j);
    }
    double hl = 0.5 * lu_matrix_log_determinant(w.cov, w.n);
    lu_decomposition_mat_inv(w.cov, w.n, w.inv_cov);
    double d = mahalanobis(w.x.data(), w.means.data(), w.inv_cov, w.n);
    if (d < 0) {
        d = -d;
        hl = -hl;
    }
    for (int k = 0; k < NUCLEI; k++) w.missing[k] = nucleus_missing_rate(w, k);
    w.sum += term(w, std::exp(((-d) * 0.5 - w.norm) - hl));
    w.counts.visited++;
}

// Least sum of squared z-scores of the rows from `depth` on: each takes the
// nearest atom of its nucleus still free.
double rest_z2(const row_walk_t &w, int depth) {
    double sum = w.later_z2[depth];
    const std::size_t m = w.used.size();
    for (int j = depth; j < w.n && w.nucleus[j] == w.nucleus[depth]; j++) {
        const nucleus_t &x = w.blocks[w.nucleus[j]];
        const double *z2 = w.row_z2.data() + j * m;
        double nearest = HUGE_VAL;
        for (int a = x.first; a < x.first + x.atoms; a++)
            if (!w.used[a]) nearest = std::min(nearest, z2[a]);
        sum += nearest;
    }
    return sum;
}

// True when no completion below the first `depth` rows can matter: every
// one underflows, or together they hold less than their share of the budget.
// The quadratic form of a completion is at least the partial form of its
// first rows, and at least its squared z-scores over the largest eigenvalue
// of the correlations; its log-determinant at least the partial one plus the
// rows' smallest conditional variances.
bool may_skip(row_walk_t &w, int depth) {
    if (!w.skipping) return false;
    const int r = depth - 1;
    const double q = depth > 0 ? w.q[r] : 0.0, log_det = depth > 0 ? w.log_det[r] : 0.0;
    const double z2 = (depth > 0 ? w.z2[r] : 0.0) + (depth < w.n ? rest_z2(w, depth) : 0.0);
    const double form = std::max(q, z2 / w.largest_eigenvalue);
    const double exponent = (-form) * 0.5 - w.norm - 0.5 * (log_det + w.rest_log_var[depth]);
    const double bound = (depth > 0 ? w.missing_bound[r] : w.all_missing_bound) * std::exp(exponent);
    // Every term is positive, so the running sum bounds the pair's score from below.
    if (exponent < zero_exponent || (w.sum > 0.0 && bound <= w.share_per_completion * w.sum)) {
        w.counts.skipped += w.completions[depth];
        return true;
    }
    return false;
}

void visit_general(row_walk_t &w, int r) {
    if (r == w.n) {
        add_general_attachment(w);
        return;
    }
    for (const int a : *w.candidates[r]) {
        if (w.used[a]) continue;
        w.atom[r] = a;
        w.used[a] = 1;
        visit_general(w, r + 1);
        w.used[a] = 0;
    }
}

void visit(row_walk_t &w, int r) {
    for (const int a : *w.candidates[r]) {
        if (w.used[a]) continue;
        w.atom[r] = a;
        w.used[a] = 1;
        if (!factor_row(w, r)) {
            visit_general(w, r + 1);
        } else {
            if (w.last_of_nucleus[r]) w.missing[w.nucleus[r]] = nucleus_missing_rate(w, w.nucleus[r]);
            if (r == w.n - 1) {
                add_factored_attachment(w);
            } else if (!may_skip(w, r + 1)) {
                extend_solves(w, r);
                visit(w, r + 1);
            }
        }
        w.used[a] = 0;
    }
}

// Lower bounds of the conditional variance of each atom given any other
// atoms: its variance given all the others, 1 / (Σ⁻¹)[a][a] of the type's
// whole covariance. False when that covariance is not positive definite.
bool conditional_variances(row_walk_t &w, std::vector<double> &variance) {
    const int m = w.s->H_num + w.s->C_num + w.s->N_num;
    matrix_t<double> C, inv;
    allocate_matrix(C, m, m, "(C)", "(C)[0]", __LINE__, __func__);
    allocate_matrix(inv, m, m, "(inv)", "(inv)[0]", __LINE__, __func__);
    for (int a = 0; a < m; a++)
        for (int b = 0; b < m; b++) C[a][b] = w.pair_cov[a][b];
    // Gershgorin: no eigenvalue of the correlations exceeds their largest row sum of magnitudes.
    for (int a = 0; a < m; a++) {
        double row_sum = 0.0;
        for (int b = 0; b < m; b++) row_sum += std::fabs(C[a][b]) / std::sqrt(C[a][a] * C[b][b]);
        w.largest_eigenvalue = std::max(w.largest_eigenvalue, row_sum);
    }
    // Cholesky, then the inverse's diagonal from L⁻¹.
    for (int r = 0; r < m; r++) {
        for (int j = 0; j <= r; j++) {
            double sum = C[r][j];
            for (int k = 0; k < j; k++) sum -= C[r][k] * C[j][k];
            if (j < r) {
                C[r][j] = sum / C[j][j];
            } else {
                if (!(sum > 0.0) || !std::isfinite(sum)) return false;
                C[r][r] = std::sqrt(sum);
            }
        }
    }
    for (int c = 0; c < m; c++)
        for (int r = 0; r < m; r++) {
            double sum = r == c ? 1.0 : 0.0;
            for (int k = c; k < r; k++) sum -= C[r][k] * inv[k][c];
            inv[r][c] = r < c ? 0.0 : sum / C[r][r];
        }
    variance.assign(m, 0.0);
    for (int a = 0; a < m; a++) {
        double diagonal = 0.0;
        for (int r = a; r < m; r++) diagonal += inv[r][a] * inv[r][a];
        variance[a] = 1.0 / diagonal;
        if (!(variance[a] > 0.0) || !std::isfinite(variance[a])) return false;
    }
    return true;
}

// Least total cost of giving each row a distinct column (rows <= columns),
// by the Hungarian method with potentials; cost is rows × columns, row-major,
// every entry finite.
double least_assignment_cost(const std::vector<double> &cost, int rows, int columns) {
    std::vector<double> u(rows + 1, 0.0), v(columns + 1, 0.0), least(columns + 1);
    std::vector<int> owner(columns + 1, 0), previous(columns + 1, 0);
    std::vector<char> done(columns + 1);
    for (int i = 1; i <= rows; i++) {
        owner[0] = i;
        int free_column = 0;
        std::fill(least.begin(), least.end(), HUGE_VAL);
        std::fill(done.begin(), done.end(), 0);
        do {
            done[free_column] = 1;
            const int row = owner[free_column];
            double delta = HUGE_VAL;
            int next = 0;
            for (int j = 1; j <= columns; j++) {
                if (done[j]) continue;
                const double reduced = cost[(row - 1) * columns + (j - 1)] - u[row] - v[j];
                if (reduced < least[j]) {
                    least[j] = reduced;
                    previous[j] = free_column;
                }
                if (least[j] < delta) {
                    delta = least[j];
                    next = j;
                }
            }
            for (int j = 0; j <= columns; j++) {
                if (done[j]) {
                    u[owner[j]] += delta;
                    v[j] -= delta;
                } else {
                    least[j] -= delta;
                }
            }
            free_column = next;
        } while (owner[free_column] != 0);
        do {
            const int column = previous[free_column];
            owner[free_column] = owner[column];
            free_column = column;
        } while (free_column != 0);
    }
    return -v[0];
}

// Least sum of squared z-scores of all the rows of one nucleus over distinct atoms.
double nucleus_least_z2(const row_walk_t &w, int first_row) {
    const nucleus_t &x = w.blocks[w.nucleus[first_row]];
    std::vector<double> cost;
    int rows = 0;
    for (int j = first_row; j < w.n && w.nucleus[j] == w.nucleus[first_row]; j++, rows++)
        for (int a = x.first; a < x.first + x.atoms; a++) cost.push_back(w.row_z2[j * w.used.size() + a]);
    return least_assignment_cost(cost, rows, x.atoms);
}

// Orders the nuclei by the least squared z-scores of their shifts over
// distinct atoms, largest first: the walk meets the rows that rule out most
// attachments first, where skipping saves most.
void worst_nucleus_first(const row_walk_t &w, int order[NUCLEI]) {
    double least[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        const nucleus_t &x = w.blocks[k];
        std::vector<double> cost;
        for (int i = 0; i < x.shifts; i++)
            for (int a = x.first; a < x.first + x.atoms; a++) {
                const double residual = x.values[i] - w.s->mean[a];
                cost.push_back(residual * residual / w.s->cov[a][a]);
                if (!std::isfinite(cost.back())) return;  // keep the plain order
            }
        least[k] = x.shifts > 0 ? least_assignment_cost(cost, x.shifts, x.atoms) : 0.0;
    }
    std::stable_sort(order, order + NUCLEI, [&](int a, int b) { return least[a] > least[b]; });
}

// Skipping needs every term to be positive and bounded: missing rates within
// [0, 1], finite statistics and shifts, and a positive definite covariance.
void prepare_skipping(row_walk_t &w) {
    const int m = w.s->H_num + w.s->C_num + w.s->N_num;
    for (int a = 0; a < m; a++)
        if (!(w.s->miss[a] >= 0.0 && w.s->miss[a] <= 1.0) || !std::isfinite(w.s->mean[a])) return;
    for (const double x : w.x)
        if (!std::isfinite(x)) return;
    std::vector<double> variance;
    if (!conditional_variances(w, variance)) return;

    double smallest[NUCLEI];
    for (int k = 0; k < NUCLEI; k++) {
        smallest[k] = HUGE_VAL;
        for (int j = 0; j < w.blocks[k].atoms; j++) smallest[k] = std::min(smallest[k], variance[w.blocks[k].first + j]);
    }
    // Per depth (rows assigned): completions below, and bounds for the rows below.
    allocate_vector(w.row_z2, static_cast<std::size_t>(w.n) * m, "row_z2", __LINE__, __func__);
    for (int r = 0; r < w.n; r++) {
        const nucleus_t &x = w.blocks[w.nucleus[r]];
        for (int a = x.first; a < x.first + x.atoms; a++) {
            const double residual = w.x[r] - w.s->mean[a];
            w.row_z2[static_cast<std::size_t>(r) * m + a] = residual * residual / w.s->cov[a][a];
        }
    }
    w.completions.assign(w.n + 1, 1.0);
    w.rest_log_var.assign(w.n + 1, 0.0);
    w.later_z2.assign(w.n + 1, 0.0);
    int taken[NUCLEI] = {0, 0, 0};
    std::vector<double> choices(w.n);
    for (int r = 0; r < w.n; r++) choices[r] = w.blocks[w.nucleus[r]].atoms - taken[w.nucleus[r]]++;
    double later = 0.0;  // rows of nuclei after the one of the current depth
    for (int depth = w.n - 1; depth >= 0; depth--) {
        const int k = w.nucleus[depth];
        if (depth + 1 < w.n && w.nucleus[depth + 1] != k) later = w.later_z2[depth + 1] + nucleus_least_z2(w, depth + 1);
        w.later_z2[depth] = later;
        w.completions[depth] = w.completions[depth + 1] * choices[depth];
        w.rest_log_var[depth] = w.rest_log_var[depth + 1] + std::log(smallest[k]);
    }
    const double total = w.completions[0];
    w.seen_ratio.assign(m, 0.0);
    for (int a = 0; a < m; a++) {
        const double largest = std::max(w.s->miss[a], 1.0 - w.s->miss[a]);
        w.all_missing_bound *= largest;
        w.seen_ratio[a] = (1.0 - w.s->miss[a]) / largest;
    }
    allocate_vector(w.missing_bound, w.n, "missing_bound", __LINE__, __func__);
    w.share_per_completion = skip_budget / total;
    w.skipping = true;
}

bool symmetric(const stat_data_t &s) {
    const int atoms = s.H_num + s.C_num + s.N_num;
    for (int a = 0; a < atoms; a++)
        for (int b = 0; b < a; b++)
            if (!(s.cov[a][b] == s.cov[b][a])) return false;
    return true;
}

// Puts the rows in walk order, nucleus by nucleus, the worst nucleus first
// for full permutations. For selected permutations the rows with fewest
// candidates go first, so that the walk branches near its leaves and shares
// the rows above them; within a nucleus the covariance then no longer
// follows the shift order, which only a symmetric covariance allows.
void lay_out_rows(row_walk_t &w, const row_candidates_t candidates[NUCLEI]) {
    int order[NUCLEI] = {H_NUCLEUS, C_NUCLEUS, N_NUCLEUS};
    if (w.model == FULL_PERMUTATIONS) worst_nucleus_first(w, order);
    struct row_t {
        int nucleus, shift;
    };
    std::vector<row_t> rows;
    for (const int k : order) {
        w.missing[k] = nucleus_missing_rate(w, k);  // nuclei without rows keep it
        for (int i = 0; i < w.blocks[k].shifts; i++) rows.push_back({k, i});
    }
    auto fewer_candidates = [&](const row_t &a, const row_t &b) {
        return candidates[a.nucleus][a.shift].size() < candidates[b.nucleus][b.shift].size();
    };
    if (w.model == SELECTED_PERMUTATIONS && symmetric(*w.s))
        std::stable_sort(rows.begin(), rows.end(), fewer_candidates);
    for (int r = 0; r < w.n; r++) {
        const row_t &row = rows[r];
        w.nucleus[r] = row.nucleus;
        w.x[r] = w.blocks[row.nucleus].values[row.shift];
        w.candidates[r] = &candidates[row.nucleus][row.shift];
        w.last_of_nucleus[r] = 1;
        for (int j = 0; j < r; j++)
            if (w.nucleus[j] == row.nucleus) w.last_of_nucleus[j] = 0;
    }
}

}  // namespace

double mvnd_attachment_sum(const value_data_t &v, const stat_data_t &s, mvnd_model_t model,
                           const row_candidates_t candidates[NUCLEI], walk_counts_t *counts) {
    row_walk_t w;
    w.s = &s;
    w.model = model;
    w.n = v.total_num;
    nuclei_of(v, s, w.blocks);
    const int n = w.n;
    allocate_vector(w.nucleus, n, "nucleus", __LINE__, __func__);
    allocate_vector(w.last_of_nucleus, n, "last_of_nucleus", __LINE__, __func__);
    allocate_vector(w.x, n, "x", __LINE__, __func__);
    allocate_vector(w.candidates, n, "candidates", __LINE__, __func__);
    const int atoms = s.H_num + s.C_num + s.N_num;
    allocate_vector(w.used, atoms, "used", __LINE__, __func__);
    allocate_matrix(w.pair_cov, atoms, atoms, "(pair_cov)", "(pair_cov)[0]", __LINE__, __func__);
    for (int a = 0; a < atoms; a++)
        for (int b = 0; b < atoms; b++) w.pair_cov[a][b] = model_covariance(s, model, a, b);
    lay_out_rows(w, candidates);
    w.norm = (n * std::log(6.283185307179586)) * 0.5;
    allocate_vector(w.atom, n, "atom", __LINE__, __func__);
    allocate_matrix(w.solved, atoms, n, "(solved)", "(solved)[0]", __LINE__, __func__);
    allocate_matrix(w.solved2, n + 1, atoms, "(solved2)", "(solved2)[0]", __LINE__, __func__);
    allocate_matrix(w.solved_z, n + 1, atoms, "(solved_z)", "(solved_z)[0]", __LINE__, __func__);
    allocate_vector(w.diagonal, n, "diagonal", __LINE__, __func__);
    allocate_vector(w.later_atoms, n, "later_atoms", __LINE__, __func__);
    for (int r = n - 2; r >= 0; r--) {
        std::vector<int> &later = w.later_atoms[r];
        later = w.later_atoms[r + 1];
        later.insert(later.end(), w.candidates[r + 1]->begin(), w.candidates[r + 1]->end());
        std::sort(later.begin(), later.end());
        later.erase(std::unique(later.begin(), later.end()), later.end());
    }
    allocate_vector(w.z, n, "z", __LINE__, __func__);
    allocate_vector(w.q, n, "q", __LINE__, __func__);
    allocate_vector(w.log_det, n, "log_det", __LINE__, __func__);
    allocate_vector(w.z2, n, "z2", __LINE__, __func__);
    allocate_matrix(w.cov, n, n, "(cov)", "(cov)[0]", __LINE__, __func__);
    allocate_matrix(w.inv_cov, n, n, "(inv_cov)", "(inv_cov)[0]", __LINE__, __func__);
    allocate_vector(w.means, n, "means", __LINE__, __func__);
    if (model == FULL_PERMUTATIONS) prepare_skipping(w);

    if (!may_skip(w, 0)) visit(w, 0);
    if (counts != nullptr) *counts = w.counts;
    return w.sum;
}
