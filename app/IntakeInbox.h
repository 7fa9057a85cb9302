#pragma once
// Lists other processes hand over (WM_COPYDATA), taken off the window's thread at once: the
// window copies the message's bytes and answers; a thread of the inbox's own reads them, takes
// out what cannot be routed (shell objects, paths that are not there), gathers them into batches
// (IntakeGathering) and says so through `arrived`. A list of a hundred thousand paths then costs
// the window a copy of its bytes, and its sender hears at once that it was taken.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/IntakeGathering.h"

namespace kw {

class IntakeInbox {
public:
    // `arrived` runs on the inbox's thread after a list was gathered (or refused).
    explicit IntakeInbox(std::function<void()> arrived = {});
    ~IntakeInbox();
    IntakeInbox(const IntakeInbox&) = delete;
    IntakeInbox& operator=(const IntakeInbox&) = delete;

    // The bytes of a handed-over list, copied; read on the inbox's thread. `waiter` is 0 when
    // nobody waits for the outcome; `nowMs` is when it arrived.
    void Take(const void* data, size_t bytes, std::uintptr_t waiter, uint64_t nowMs);
    // A list already read and checked (this copy's own command line).
    void Add(IntakeRequest request, std::uintptr_t waiter, uint64_t nowMs);

    std::optional<uint64_t> NextDue();
    std::vector<GatheredBatch> TakeDue(uint64_t nowMs);
    // Everything still gathering, once the lists in hand are read (the program is closing).
    std::vector<GatheredBatch> TakeAll();
    // Why lists were refused since the last call, in words for the log.
    std::vector<std::string> TakeRefusals();

private:
    struct Raw {
        std::vector<std::byte> bytes;
        std::uintptr_t waiter;
        uint64_t at;
    };
    void Run();

    std::function<void()> arrived;
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable idle;
    std::deque<Raw> inbox;
    bool reading = false;  // a list is being read outside the lock
    bool ending = false;
    IntakeGathering gathering;
    std::vector<std::string> refusals;
    std::thread thread;  // started with the first list
};

}  // namespace kw
