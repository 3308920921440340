// SPDX-License-Identifier: GPL-3.0-or-later
// The MVND models: the attachments of a pair walked row by row.
#include <algorithm>
#include <cmath>

#include "engines/engines.h"
#include "engines/row_walk.h"
#include "engines/select_walk.h"

namespace {

// Orders the atoms by the distance of the shift from their means in
// standard deviations, nearest first, so that the walk meets a good
// attachment early and can skip against it.
void most_plausible_first(const stat_data_t &s, double shift, std::vector<int> &atoms) {
    auto distance = [&](int a) {
        const double z = std::fabs((shift - s.mean[a]) / s.std_dev[a]);
        return std::isnan(z) ? HUGE_VAL : z;
    };
    std::stable_sort(atoms.begin(), atoms.end(), [&](int a, int b) { return distance(a) < distance(b); });
}

// Every atom of the shift's nucleus is a candidate.
void full_candidates(const value_data_t &v, const stat_data_t &s, row_candidates_t candidates[NUCLEI]) {
    nucleus_t x[NUCLEI];
    nuclei_of(v, s, x);
    for (int k = 0; k < NUCLEI; k++) {
        candidates[k].resize(x[k].shifts);
        for (int i = 0; i < x[k].shifts; i++) {
            std::vector<int> &atoms = candidates[k][i];
            for (int j = 0; j < x[k].atoms; j++) atoms.push_back(x[k].first + j);
            most_plausible_first(s, x[k].values[i], atoms);
        }
    }
}

// The enumerator's pruned candidate lists; false when the pair has no
// selected attachment.
bool selected_candidates(const value_data_t &v, const stat_data_t &s, row_candidates_t candidates[NUCLEI]) {
    select_walk_t walk;
    if (!set_up_select_walk(v, s, walk)) return false;
    for (int k = 0; k < NUCLEI; k++) {
        const enum_data_t &e = walk.enumd[k];
        candidates[k].resize(walk.x[k].shifts);
        for (int i = 0; i < walk.x[k].shifts; i++) {
            std::vector<int> &atoms = candidates[k][i];
            for (int p = 0; p < e.max_val[i]; p++) atoms.push_back(walk.x[k].first + e.val[i][p]);
            most_plausible_first(s, walk.x[k].values[i], atoms);
        }
    }
    return true;
}

// A pair's walk as the pass runs it: its parts in rounds, then their sum.
class walk_work_t final : public pair_work_t {
public:
    explicit walk_work_t(std::shared_ptr<mvnd_walk_t> walk) : walk_(std::move(walk)) {}
    int release() override { return release_walk_parts(*walk_); }
    void run(int part) override { run_walk_part(*walk_, part); }
    double total() const override { return finish_mvnd_walk(*walk_, nullptr); }

private:
    std::shared_ptr<mvnd_walk_t> walk_;
};

pair_score_t walk_score(const value_data_t &v, std::shared_ptr<const mvnd_type_t> type,
                        const row_candidates_t candidates[NUCLEI], const walk_limits_t &limits) {
    pair_score_t score;
    score.work = std::make_shared<walk_work_t>(start_mvnd_walk(v, std::move(type), candidates, limits));
    return score;
}

// Without shifts the density has order 0 and counts 1.
pair_score_t whole(double score) {
    pair_score_t result;
    result.whole = score;
    return result;
}

}  // namespace

pair_score_t full_perm_dep_score(const value_data_t &v, const stat_data_t &s,
                                 const std::shared_ptr<const mvnd_type_t> &type, const walk_limits_t &limits) {
    if (v.total_num == 0) return whole(all_missing_proba(v, s));
    row_candidates_t candidates[NUCLEI];
    full_candidates(v, s, candidates);
    return walk_score(v, type, candidates, limits);
}

pair_score_t select_perm_dep_score(const value_data_t &v, const stat_data_t &s,
                                   const std::shared_ptr<const mvnd_type_t> &type, const walk_limits_t &limits) {
    if (v.total_num == 0) return whole(all_missing_proba(v, s));
    row_candidates_t candidates[NUCLEI];
    if (!selected_candidates(v, s, candidates)) return whole(0.0);
    return walk_score(v, type, candidates, limits);
}

pair_score_t full_perm_dep_score(const value_data_t &v, const stat_data_t &s) {
    return full_perm_dep_score(v, s, prepare_mvnd_type(s, FULL_PERMUTATIONS), walk_limits_t{});
}

pair_score_t select_perm_dep_score(const value_data_t &v, const stat_data_t &s) {
    return select_perm_dep_score(v, s, prepare_mvnd_type(s, SELECTED_PERMUTATIONS), walk_limits_t{});
}

double full_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    return score_in_order(full_perm_dep_score(v, s));
}

double select_perm_dep_proba(const value_data_t &v, const stat_data_t &s) {
    return score_in_order(select_perm_dep_score(v, s));
}

double full_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts, double most) {
    *counts = walk_counts_t{};
    if (v.total_num == 0) return all_missing_proba(v, s);
    row_candidates_t candidates[NUCLEI];
    full_candidates(v, s, candidates);
    return mvnd_attachment_sum(v, s, FULL_PERMUTATIONS, candidates, counts, most);
}

double select_perm_dep_proba_counted(const value_data_t &v, const stat_data_t &s, walk_counts_t *counts, double most) {
    *counts = walk_counts_t{};
    if (v.total_num == 0) return all_missing_proba(v, s);
    row_candidates_t candidates[NUCLEI];
    if (!selected_candidates(v, s, candidates)) return 0.0;
    return mvnd_attachment_sum(v, s, SELECTED_PERMUTATIONS, candidates, counts, most);
}
