// SPDX-License-Identifier: GPL-3.0-or-later
// How far the engines' scores are from the exact sums, per model:
//
//   kestrin_exact_sums [--most N] -af atoms -sf stats < spins
//
// For every pair whose enumeration has at most N attachments (default 1e7),
// the score is summed again in extended precision: each attachment's term
// in long double (a 64-bit significand) and the terms added with Neumaier's
// compensation, which leaves an error near 1e-18 of the sum. The largest
// and the median relative deviation from that sum are printed for kestrin's
// engines and for the straightforward enumeration.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "driver/kestrin.h"
#include "engines/engines.h"
#include "engines/factors.h"
#include "input/failure.h"
#include "linalg/density.h"
#include "reference/reference_engines.h"

namespace {

using real = long double;

// Neumaier's compensated sum.
struct exact_sum_t {
    real sum = 0.0L, lost = 0.0L;
    void add(real term) {
        const real t = sum + term;
        lost += std::fabs(sum) >= std::fabs(term) ? (sum - t) + term : (term - t) + sum;
        sum = t;
    }
    real value() const { return sum + lost; }
};

struct pair_t {
    const value_data_t &v;
    const stat_data_t &s;
    bool dependent;  // one multivariate density, else independent ones
    bool selected;   // plausible atoms only
    nucleus_t x[NUCLEI];
    std::vector<int> atom;      // per row (H, C, N rows in shift order): type position
    std::vector<double> value;  // per row: shift
    std::vector<int> nucleus;   // per row
    std::vector<char> used;     // per type position
    exact_sum_t total;
    bool singular = false;
};

// The covariance the model's work matrix takes for a later row's atom a and an earlier row's atom b.
real work_covariance(const pair_t &p, int a, int b, int nucleus_a, int nucleus_b) {
    if (nucleus_a != nucleus_b) return p.s.cov[a][b];
    if (p.selected) return p.s.cov[b][a];
    return p.s.cov[std::min(a, b)][std::max(a, b)];
}

real missing_rate(const pair_t &p) {
    real m = 1.0L;
    for (int k = 0; k < NUCLEI; k++)
        for (int j = 0; j < p.x[k].atoms; j++) {
            const real miss = p.s.miss[p.x[k].first + j];
            m *= p.used[p.x[k].first + j] ? 1.0L - miss : miss;
        }
    return m;
}

void add_term(pair_t &p) {
    const int n = static_cast<int>(p.atom.size());
    const real pi2 = 6.283185307179586L;
    if (!p.dependent) {
        real term = missing_rate(p);
        for (int r = 0; r < n; r++) {
            const int a = p.atom[r];
            const real z = (p.value[r] - static_cast<real>(p.s.mean[a])) / p.s.std_dev[a];
            term *= std::exp(-0.5L * z * z) / (std::sqrt(pi2) * p.s.std_dev[a]);
        }
        p.total.add(term);
        return;
    }
    std::vector<real> L(static_cast<std::size_t>(n) * n, 0.0L), z(n);
    real q = 0.0L, log_det = 0.0L;
    for (int r = 0; r < n; r++) {
        for (int c = 0; c <= r; c++) {
            real sum = r == c ? static_cast<real>(p.s.cov[p.atom[r]][p.atom[r]])
                              : work_covariance(p, p.atom[r], p.atom[c], p.nucleus[r], p.nucleus[c]);
            for (int k = 0; k < c; k++) sum -= L[r * n + k] * L[c * n + k];
            if (c < r) {
                L[r * n + c] = sum / L[c * n + c];
            } else {
                if (!(sum > 0.0L)) {
                    p.singular = true;
                    return;
                }
                L[r * n + r] = std::sqrt(sum);
                log_det += std::log(sum);
            }
        }
        real e = p.value[r] - static_cast<real>(p.s.mean[p.atom[r]]);
        for (int k = 0; k < r; k++) e -= L[r * n + k] * z[k];
        z[r] = e / L[r * n + r];
        q += z[r] * z[r];
    }
    p.total.add(missing_rate(p) * std::exp(-0.5L * q - 0.5L * n * std::log(pi2) - 0.5L * log_det));
}

void attach(pair_t &p, int r) {
    if (r == static_cast<int>(p.atom.size())) {
        add_term(p);
        return;
    }
    const nucleus_t &x = p.x[p.nucleus[r]];
    for (int j = 0; j < x.atoms; j++) {
        const int a = x.first + j;
        if (p.used[a]) continue;
        if (p.selected && !(gauss_proba(p.value[r], p.s.mean[a], p.s.std_dev[a]) > 1e-06)) continue;
        p.used[a] = 1;
        p.atom[r] = a;
        attach(p, r + 1);
        p.used[a] = 0;
    }
}

// The pair's score summed in extended precision; false when a covariance
// met is not positive definite (its terms are then not a density).
bool exact_score(const value_data_t &v, const stat_data_t &s, bool dependent, bool selected, real &score) {
    pair_t p{v, s, dependent, selected, {}, {}, {}, {}, {}, {}, false};
    nuclei_of(v, s, p.x);
    for (int k = 0; k < NUCLEI; k++)
        for (int i = 0; i < p.x[k].shifts; i++) {
            p.value.push_back(p.x[k].values[i]);
            p.nucleus.push_back(k);
        }
    p.atom.assign(p.value.size(), 0);
    p.used.assign(s.H_num + s.C_num + s.N_num, 0);
    attach(p, 0);
    score = p.total.value();
    return !p.singular;
}

double attachments(const value_data_t &v, const stat_data_t &s) {
    double count = 1.0;
    const int atoms[] = {s.H_num, s.C_num, s.N_num}, shifts[] = {v.H_num, v.C_num, v.N_num};
    for (int k = 0; k < NUCLEI; k++)
        for (int j = 0; j < shifts[k]; j++) count *= atoms[k] - j;
    return count;
}

struct model_t {
    const char *option;
    bool dependent, selected;
    double (*fast)(const value_data_t &, const stat_data_t &);
    double (*literal)(const value_data_t &, const stat_data_t &);
};

double relative(double got, real exact) { return exact == 0.0L ? (got == 0.0 ? 0.0 : HUGE_VAL) : std::fabs((got - exact) / exact); }

void compare(const data_t &data, const model_t &model, double most) {
    std::vector<double> fast, literal;
    int left_out = 0;
    for (int i = 0; i < data.spin_num; i++)
        for (int t = 0; t < data.type_num; t++) {
            const value_data_t &v = data.vdata[i];
            const stat_data_t &s = data.sdata[t];
            if (fails_count_test(v, s) || v.total_num == 0) continue;
            real exact;
            if (attachments(v, s) > most || !exact_score(v, s, model.dependent, model.selected, exact) ||
                !std::isfinite(static_cast<double>(exact)) || exact < static_cast<real>(1e-290)) {
                left_out++;
                continue;
            }
            fast.push_back(relative(model.fast(v, s), exact));
            literal.push_back(relative(model.literal(v, s), exact));
        }
    auto summary = [](std::vector<double> &d) {
        if (d.empty()) return std::string("-");
        std::sort(d.begin(), d.end());
        char text[80];
        snprintf(text, sizeof text, "largest %.2g, median %.2g", d.back(), d[d.size() / 2]);
        return std::string(text);
    };
    printf("%s: %zu pairs (%d left out); kestrin %s; straightforward %s\n", model.option, fast.size(), left_out,
           summary(fast).c_str(), summary(literal).c_str());
}

}  // namespace

int main(int argc, char **argv) {
    double most = 1e7;
    std::vector<char *> args(argv, argv + argc);
    if (args.size() > 2 && strcmp(args[1], "--most") == 0) {
        most = strtod(args[2], nullptr);
        args.erase(args.begin() + 1, args.begin() + 3);
    }
    try {
        parameters_t params;
        data_t data;
        read_run_inputs(static_cast<int>(args.size()), args.data(), params, data);
        const model_t models[] = {
            {"-cfpi", false, false, full_perm_indep_proba, reference::full_perm_indep_proba},
            {"-cfpd", true, false, full_perm_dep_proba, reference::full_perm_dep_proba},
            {"-cspi", false, true, select_perm_indep_proba, reference::select_perm_indep_proba},
            {"-cspd", true, true, select_perm_dep_proba, reference::select_perm_dep_proba},
        };
        for (const model_t &model : models) compare(data, model, most);
        return 0;
    } catch (const run_ended &end) {
        return end.status;
    }
}
