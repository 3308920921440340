// SPDX-License-Identifier: GPL-3.0-or-later
// A model pass: every spin system against every selected type, the pairs
// (and the parts of large pairs) scored on one or more threads. Each result
// goes to its own slot and the parts of a pair are added in a fixed order,
// so the scores are the same for every number of threads.
#pragma once

#include <functional>
#include <memory>

#include "input/records.h"

// Told, on the thread that runs the pass, how many spin systems are done, so
// that the driver can show progress; the engines themselves never print.
struct pass_progress_t {
    void (*report)(void *context, int done, int total) = nullptr;
    void *context = nullptr;
};

// A pair's score as work done in rounds of parts.
class pair_work_t {
public:
    virtual ~pair_work_t() = default;
    // The number of parts that follow those released before (0 when none
    // are left); called once every part released before has run.
    virtual int release() = 0;
    // Runs one released part. The parts of a round may run in any order on
    // any thread, each writing only its own result.
    virtual void run(int part) = 0;
    // The score: the parts' results added in a fixed order.
    virtual double total() const = 0;
};

// A pair's score, whole, or as work still to do.
struct pair_score_t {
    double whole = 0.0;                 // the score, when there is no work
    std::shared_ptr<pair_work_t> work;  // the parts to run; empty for a whole score
};

using pair_scorer_t = std::function<pair_score_t(const value_data_t &v, const stat_data_t &s)>;
using pair_proba_t = double (*)(const value_data_t &v, const stat_data_t &s);

// Scores every spin system against every selected type on `threads`
// threads (1: on the calling thread). A type with fewer atoms of some
// nucleus than the spin system has shifts scores 0 without the engine. A
// fatal error ends the pass as it would on one thread: the message of the
// first failing pair in order, then its status.
void calculate_probas(data_t &data, const pair_scorer_t &scorer, const pass_progress_t &progress, int threads);
void calculate_probas(data_t &data, pair_proba_t proba, const pass_progress_t &progress, int threads);

// The processors this process may run on (its CPU affinity), at least 1:
// the passes' threads unless the command line says otherwise.
int available_processors();

// The whole score of a pair, its parts run one after the other.
double score_in_order(const pair_score_t &score);
