#pragma once
// The memory that picture decodes in flight may take, shared by every thread
// that decodes. A decode reserves what it may allocate before it starts and
// gives it back when it ends; a decode that could never fit is refused, one
// that does not fit now waits its turn. Every holder is a decode that ends on
// its own, so waiting cannot deadlock as long as no thread reserves twice.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class DecodeBudget {
public:
    explicit DecodeBudget(std::uint64_t total_bytes) : total_(total_bytes) {}
    DecodeBudget(const DecodeBudget&) = delete;
    DecodeBudget& operator=(const DecodeBudget&) = delete;

    // Bytes held from the budget until it goes; empty when nothing is held.
    class Reservation {
    public:
        Reservation() = default;
        Reservation(Reservation&& other) noexcept;
        Reservation& operator=(Reservation&& other) noexcept;
        ~Reservation() { release(); }
        void release();

    private:
        friend class DecodeBudget;
        Reservation(DecodeBudget* budget, std::uint64_t bytes) : budget_(budget), bytes_(bytes) {}
        DecodeBudget* budget_ = nullptr;
        std::uint64_t bytes_ = 0;
    };

    // Reserves the bytes, waiting, first come first served, while other
    // decodes hold too much. Returns false, reserving nothing, when the bytes
    // exceed the whole budget.
    bool reserve(std::uint64_t bytes, Reservation& out);

    std::uint64_t total() const { return total_; }
    std::uint64_t in_use() const;
    // The most ever held at once since the last reset_peak (tests).
    std::uint64_t peak() const;
    void reset_peak();

private:
    void give_back(std::uint64_t bytes);

    const std::uint64_t total_;
    mutable std::mutex mutex_;
    std::condition_variable freed_;
    std::uint64_t in_use_ = 0;
    std::uint64_t peak_ = 0;
    std::uint64_t next_ticket_ = 0;  // handed to each reserve call in turn
    std::uint64_t serving_ = 0;      // the ticket that may reserve next
};

// The process's budget: 1 GiB for all decodes in flight together.
DecodeBudget& decode_budget();

}  // namespace platform
