// A thread that keeps the process's multithreaded apartment alive while the
// connection is open. COM membership is per thread: Java threads that run
// commands, the thread that closes the connection and the one that opened
// it need not be the same, and none of them is left in COM by the library.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class ApartmentKeeper {
public:
    // Returns once the thread is in the apartment.
    ApartmentKeeper();
    // Leaves the apartment on the keeper's own thread, balanced there.
    ~ApartmentKeeper();
    ApartmentKeeper(const ApartmentKeeper&) = delete;
    ApartmentKeeper& operator=(const ApartmentKeeper&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool entered_ = false;
    bool leave_ = false;
    std::thread thread_;
};
