// Compresses a folder's stretches on worker threads. The caller hands the
// stretches over in order and takes each back when it is finished, also in
// order; everything the output depends on is in the stretch itself, so the
// bytes are the same whatever the number of threads.
#pragma once

#include <atomic>
// std::chrono comes with <condition_variable>: <chrono> itself spells "µs",
// which the Windows builds' execution character set (code page 932) lacks.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "frame_encoder.h"

namespace cab32 {

// One stretch on its way through the workers.
class StretchJob {
public:
    std::vector<std::uint8_t> history;  // the folder's bytes before the stretch
    std::vector<std::uint8_t> data;     // the stretch's frames
    bool startsFolder = false;
    EncodedStretch out;                 // valid once Finished() and not Failed()

    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    bool Failed() const { return failed_; }  // only once Finished()
    // Bytes of `data` compressed so far.
    std::uint64_t DoneBytes() const { return doneBytes_.load(std::memory_order_relaxed); }

private:
    friend class StretchWorkers;
    std::atomic<bool> finished_{false};
    std::atomic<bool> stop_{false};
    bool failed_ = false;
    std::atomic<std::uint64_t> doneBytes_{0};
};

class StretchWorkers {
public:
    // `threads` workers (at least one), each with its own compressor.
    StretchWorkers(const EncoderSettings& settings, int threads);
    // Stops the work in progress and waits for every thread.
    ~StretchWorkers();
    StretchWorkers(const StretchWorkers&) = delete;
    StretchWorkers& operator=(const StretchWorkers&) = delete;

    // False when a compressor could not be made.
    bool Started() const { return !threads_.empty(); }

    // Queues a stretch; jobs start in the order they are submitted.
    void Submit(std::shared_ptr<StretchJob> job);

    // The job's result is no longer wanted: it does not start, or stops.
    void Drop(StretchJob& job);

    // Waits until `job` is finished, at most `timeout`; true when it is.
    bool WaitFor(const StretchJob& job, std::chrono::milliseconds timeout);

    // A job that failed stops the others: true from then on. Rethrows an
    // exception a worker met (out of memory), on the caller's thread.
    bool Failed();

    // Memory one worker and one stretch in flight take, to cap the threads.
    static std::uint64_t WorkerBytes(const EncoderSettings& settings);
    static std::uint64_t StretchBytes(const EncoderSettings& settings);

private:
    void Work(StretchEncoder& encoder);
    void StopAll();  // with the lock held
    void StopAndJoin();

    std::vector<std::unique_ptr<StretchEncoder>> encoders_;
    std::vector<std::thread> threads_;
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<StretchJob>> queue_;  // submitted, not started
    std::vector<StretchJob*> running_;
    bool stop_ = false;
    bool failed_ = false;
    std::exception_ptr error_;
};

}  // namespace cab32
