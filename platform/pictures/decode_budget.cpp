#include "platform/pictures/decode_budget.h"

#include <algorithm>
#include <utility>

namespace platform {

DecodeBudget::Reservation::Reservation(Reservation&& other) noexcept
    : budget_(std::exchange(other.budget_, nullptr)), bytes_(std::exchange(other.bytes_, 0)) {}

DecodeBudget::Reservation& DecodeBudget::Reservation::operator=(Reservation&& other) noexcept {
    if (this != &other) {
        release();
        budget_ = std::exchange(other.budget_, nullptr);
        bytes_ = std::exchange(other.bytes_, 0);
    }
    return *this;
}

void DecodeBudget::Reservation::release() {
    if (budget_) budget_->give_back(bytes_);
    budget_ = nullptr;
    bytes_ = 0;
}

bool DecodeBudget::reserve(std::uint64_t bytes, Reservation& out) {
    out.release();
    if (bytes > total_) return false;
    std::unique_lock lock(mutex_);
    // Tickets keep the order of arrival, so a large decode is not passed
    // over for ever by a stream of small ones.
    const std::uint64_t ticket = next_ticket_++;
    freed_.wait(lock, [&] { return serving_ == ticket && in_use_ + bytes <= total_; });
    ++serving_;
    in_use_ += bytes;
    peak_ = std::max(peak_, in_use_);
    lock.unlock();
    freed_.notify_all();  // the next ticket may fit as well
    out = Reservation(this, bytes);
    return true;
}

void DecodeBudget::give_back(std::uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        in_use_ -= bytes;
    }
    freed_.notify_all();
}

std::uint64_t DecodeBudget::in_use() const {
    std::lock_guard lock(mutex_);
    return in_use_;
}

std::uint64_t DecodeBudget::peak() const {
    std::lock_guard lock(mutex_);
    return peak_;
}

void DecodeBudget::reset_peak() {
    std::lock_guard lock(mutex_);
    peak_ = in_use_;
}

DecodeBudget& decode_budget() {
    // Never destroyed: decodes on the pool's threads may still end during exit.
    static auto* budget = new DecodeBudget(std::uint64_t(1) << 30);
    return *budget;
}

}  // namespace platform
