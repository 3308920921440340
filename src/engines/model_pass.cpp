// SPDX-License-Identifier: GPL-3.0-or-later
// The model pass on one thread or several.
#include "engines/model_pass.h"

#include <sched.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "engines/factors.h"
#include "input/failure.h"

int available_processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) != 0) return 1;
    return std::max(1, CPU_COUNT(&set));
}

double score_in_order(const pair_score_t &score) {
    if (!score.work) return score.whole;
    for (int first = 0, count; (count = score.work->release()) > 0; first += count)
        for (int i = first; i < first + count; i++) score.work->run(i);
    return score.work->total();
}

namespace {

template <typename Start>
void score_on_this_thread(data_t &data, Start start, const pass_progress_t &progress) {
    for (int i = 0; i < data.spin_num; i++) {
        value_data_t &v = data.vdata[i];
        for (int t = 0; t < data.type_num; t++)
            v.proba[t] = fails_count_test(v, data.sdata[t]) ? 0.0 : score_in_order(start(v, data.sdata[t]));
        if (progress.report != nullptr) progress.report(progress.context, i + 1, data.spin_num);
    }
}

// The first fatal error in the order of a pass on one thread: pairs spin
// system by spin system, type by type; within a pair its start, then its
// parts in order.
struct failure_t {
    bool happened = false;
    long long pair = 0;  // spin system × types + type
    int part = -1;       // -1: the pair's start
    int status = 1;
    std::string message;

    bool before(long long other_pair, int other_part) const {
        return !happened || other_pair < pair || (other_pair == pair && other_part < part);
    }
};

struct pair_task_t {
    long long pair;          // spin system × types + type
    pair_score_t score;
    int released = 0;        // parts released so far
    int parts_left = 0;      // of the last round, parts not yet run
};

// What the threads of a parallel pass share, under its mutex.
struct shared_pass_t {
    std::mutex mutex;
    std::condition_variable work_changed;  // a task was queued, or the last running start ended
    std::condition_variable spin_done;     // a spin system was completed, or a thread ended
    std::vector<pair_task_t> pairs;        // every pair the engine scores
    std::vector<int> start_order;          // pairs in the order their starts are taken
    std::size_t next_start = 0;
    std::deque<std::pair<int, int>> parts; // (pair, part) ready to run
    int starting = 0;                      // starts running, which may queue parts
    std::vector<int> pairs_left;           // per spin system: pairs not finished
    int spins_done = 0;
    int threads_running = 0;
    failure_t failure;
};

void finish_pair(data_t &data, shared_pass_t &shared, int p);

// Queues the pair's next round of parts, or finishes the pair when none are left.
void release_round(data_t &data, shared_pass_t &shared, int p) {
    pair_task_t &task = shared.pairs[p];
    task.parts_left = task.score.work ? task.score.work->release() : 0;
    for (int i = task.released; i < task.released + task.parts_left; i++) shared.parts.emplace_back(p, i);
    task.released += task.parts_left;
    if (task.parts_left == 0) finish_pair(data, shared, p);
}

void finish_pair(data_t &data, shared_pass_t &shared, int p) {
    pair_task_t &task = shared.pairs[p];
    const int spin = static_cast<int>(task.pair / data.type_num), type = static_cast<int>(task.pair % data.type_num);
    data.vdata[spin].proba[type] = task.score.work ? task.score.work->total() : task.score.whole;
    task.score.work.reset();
    if (--shared.pairs_left[spin] == 0) {
        shared.spins_done++;
        shared.spin_done.notify_all();
    }
}

template <typename Start>
void work_on_pass(data_t &data, Start start, shared_pass_t &shared) {
    std::unique_lock<std::mutex> lock(shared.mutex);
    for (;;) {
        shared.work_changed.wait(lock, [&] {
            return !shared.parts.empty() || shared.next_start < shared.start_order.size() || shared.starting == 0;
        });
        int p, part = -1;
        if (!shared.parts.empty()) {
            p = shared.parts.front().first;
            part = shared.parts.front().second;
            shared.parts.pop_front();
        } else if (shared.next_start < shared.start_order.size()) {
            p = shared.start_order[shared.next_start++];
            shared.starting++;
        } else {
            break;
        }
        pair_task_t &task = shared.pairs[p];
        const bool wanted = shared.failure.before(task.pair, part);
        lock.unlock();
        error_capture_t capture;
        pair_score_t score;
        bool failed = false;
        int status = 1;
        if (wanted) {
            try {
                if (part < 0) {
                    const int spin = static_cast<int>(task.pair / data.type_num);
                    score = start(data.vdata[spin], data.sdata[task.pair % data.type_num]);
                } else {
                    task.score.work->run(part);
                }
            } catch (const run_ended &end) {
                failed = true;
                status = end.status;
            } catch (const std::bad_alloc &) {
                failed = true;
                status = report_memory_exhausted("Unable to allocate memory");
            }
        }
        lock.lock();
        if (failed && shared.failure.before(task.pair, part)) {
            shared.failure.happened = true;
            shared.failure.pair = task.pair;
            shared.failure.part = part;
            shared.failure.status = status;
            shared.failure.message = capture.text;
        }
        if (part < 0) {
            shared.starting--;
            if (wanted && !failed) {
                task.score = std::move(score);
                release_round(data, shared, p);
            }
        } else if (wanted && !failed && --task.parts_left == 0) {
            release_round(data, shared, p);
        }
        shared.work_changed.notify_all();
    }
    shared.threads_running--;
    shared.spin_done.notify_all();
}

template <typename Start>
void score_on_threads(data_t &data, Start start, const pass_progress_t &progress, int threads) {
    shared_pass_t shared;
    shared.pairs_left.assign(data.spin_num, 0);
    for (int i = 0; i < data.spin_num; i++) {
        value_data_t &v = data.vdata[i];
        for (int t = 0; t < data.type_num; t++) {
            if (fails_count_test(v, data.sdata[t])) {
                v.proba[t] = 0.0;
                continue;
            }
            shared.pairs.push_back({static_cast<long long>(i) * data.type_num + t, {}, 0});
            shared.pairs_left[i]++;
        }
        if (shared.pairs_left[i] == 0) shared.spins_done++;
    }
    // Spin systems with most shifts first: their walks are the longest, and
    // the others fill the threads around them.
    shared.start_order.resize(shared.pairs.size());
    for (std::size_t p = 0; p < shared.pairs.size(); p++) shared.start_order[p] = static_cast<int>(p);
    auto shifts = [&](int p) { return data.vdata[shared.pairs[p].pair / data.type_num].total_num; };
    std::stable_sort(shared.start_order.begin(), shared.start_order.end(),
                     [&](int a, int b) { return shifts(a) > shifts(b); });

    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(threads));
    shared.threads_running = threads;
    for (int k = 0; k < threads; k++) {
        try {
            pool.emplace_back([&] { work_on_pass(data, start, shared); });
        } catch (const std::system_error &) {
            // No thread to be had (no memory for its stack): the pass runs on
            // those started, or on this one, with the same scores.
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.threads_running -= threads - k;
            break;
        }
    }
    if (pool.empty()) {
        shared.threads_running = 1;
        work_on_pass(data, start, shared);
    }
    int reported = 0;
    {
        std::unique_lock<std::mutex> lock(shared.mutex);
        for (;;) {
            shared.spin_done.wait(lock, [&] { return shared.spins_done != reported || shared.threads_running == 0; });
            if (shared.threads_running == 0) break;
            reported = shared.spins_done;
            lock.unlock();
            if (progress.report != nullptr) progress.report(progress.context, reported, data.spin_num);
            lock.lock();
        }
    }
    for (std::thread &thread : pool) thread.join();
    if (shared.failure.happened) {
        fputs(shared.failure.message.c_str(), stderr);
        end_run(shared.failure.status);
    }
    if (progress.report != nullptr && reported != data.spin_num) progress.report(progress.context, data.spin_num, data.spin_num);
}

template <typename Start>
void score_pairs(data_t &data, Start start, const pass_progress_t &progress, int threads) {
    if (threads <= 1)
        score_on_this_thread(data, start, progress);
    else
        score_on_threads(data, start, progress, threads);
}

}  // namespace

void calculate_probas(data_t &data, const pair_scorer_t &scorer, const pass_progress_t &progress, int threads) {
    score_pairs(data, scorer, progress, threads);
}

void calculate_probas(data_t &data, pair_proba_t proba, const pass_progress_t &progress, int threads) {
    score_pairs(data, [proba](const value_data_t &v, const stat_data_t &s) {
        pair_score_t score;
        score.whole = proba(v, s);
        return score;
    }, progress, threads);
}
