#include "stretch_workers.h"

#include <algorithm>
#include <system_error>
#include <utility>

#include "lzx_block_coder.h"

namespace cab32 {

StretchWorkers::StretchWorkers(const EncoderSettings& settings, int threads) {
    for (int i = 0; i < std::max(threads, 1); ++i) {
        std::unique_ptr<StretchEncoder> encoder = MakeStretchEncoder(settings);
        if (!encoder) {
            encoders_.clear();
            return;
        }
        encoders_.push_back(std::move(encoder));
    }
    try {
        for (const std::unique_ptr<StretchEncoder>& encoder : encoders_) {
            StretchEncoder* own = encoder.get();
            threads_.emplace_back([this, own] { Work(*own); });
        }
    } catch (const std::system_error&) {
        // A thread the system would not start: the ones running stop again
        // before the error goes on.
        StopAndJoin();
        throw;
    }
}

StretchWorkers::~StretchWorkers() { StopAndJoin(); }

void StretchWorkers::StopAndJoin() {
    {
        std::lock_guard lock(lock_);
        StopAll();
    }
    changed_.notify_all();
    for (std::thread& thread : threads_)
        if (thread.joinable()) thread.join();
}

void StretchWorkers::Submit(std::shared_ptr<StretchJob> job) {
    {
        std::lock_guard lock(lock_);
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void StretchWorkers::Drop(StretchJob& job) {
    std::lock_guard lock(lock_);
    job.stop_ = true;
    std::erase_if(queue_, [&](const std::shared_ptr<StretchJob>& queued) { return queued.get() == &job; });
}

void StretchWorkers::StopAll() {
    stop_ = true;
    queue_.clear();
    for (StretchJob* job : running_) job->stop_ = true;
}

bool StretchWorkers::WaitFor(const StretchJob& job, std::chrono::milliseconds timeout) {
    std::unique_lock lock(lock_);
    changed_.wait_for(lock, timeout, [&] { return job.Finished() || failed_; });
    return job.Finished();
}

bool StretchWorkers::Failed() {
    std::lock_guard lock(lock_);
    if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    return failed_;
}

void StretchWorkers::Work(StretchEncoder& encoder) {
    for (;;) {
        std::shared_ptr<StretchJob> job;
        {
            std::unique_lock lock(lock_);
            changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
            if (stop_) return;
            job = std::move(queue_.front());
            queue_.pop_front();
            running_.push_back(job.get());
        }
        StretchInput input;
        input.history = job->history;
        input.data = job->data;
        input.startsFolder = job->startsFolder;
        input.stop = &job->stop_;
        input.doneBytes = &job->doneBytes_;
        bool encoded = false;
        std::exception_ptr error;
        try {
            encoded = encoder.Encode(input, job->out);
        } catch (...) {
            error = std::current_exception();  // rethrown on the caller's thread by Failed()
        }
        {
            std::lock_guard lock(lock_);
            std::erase(running_, job.get());
            job->failed_ = !encoded;
            // A job that was stopped (dropped, or another failed, or the
            // caller gave up) did not fail itself; a failure stops the rest.
            if (!encoded && !job->stop_) {
                failed_ = true;
                error_ = error;
                StopAll();
            }
            job->finished_.store(true, std::memory_order_release);
        }
        changed_.notify_all();
    }
}

std::uint64_t StretchWorkers::WorkerBytes(const EncoderSettings& settings) {
    switch (settings.compression) {
    case Compression::None:
    case Compression::Quantum: return 0;
    case Compression::Mszip: return 1u << 20;  // zlib's window, chains and buffers
    case Compression::Lzx: {
        // The finder's buffer (two windows), its tables (up to 6.3 MB) and
        // the items of one block.
        const std::uint64_t window = std::uint64_t{1} << settings.lzxWindowBits;
        return 2 * window + (7u << 20) +
               std::uint64_t(settings.framesPerBlock) * kFrameSize * (sizeof(lzx::Item) + 4);
    }
    }
    return 0;
}

std::uint64_t StretchWorkers::StretchBytes(const EncoderSettings& settings) {
    const std::uint64_t data = std::uint64_t(StretchFrames(settings)) * kFrameSize;
    // History, data, payloads as large as the data, a pending block's items.
    std::uint64_t bytes = HistoryBytes(settings) + 2 * data;
    if (settings.compression == Compression::Lzx)
        bytes += std::uint64_t(settings.framesPerBlock) * kFrameSize * sizeof(lzx::Item);
    return bytes;
}

}  // namespace cab32
