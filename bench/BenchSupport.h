#pragma once

// What the side-by-side benchmarks share: timing, running a peer program,
// and the best-of-rounds pairing.
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace orvella::bench {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start);

// Runs a program and gives what it wrote to standard output; throws when it
// cannot start or fails.
std::string runCapturing(const std::vector<std::string>& argv);

// The two sides alternate, item by item, and each keeps its best time per
// item over the rounds: the machine is shared, and a burst of other work
// should not decide the ratio.
struct Pair {
    double ours = 0, peer = 0;
};

template <typename Ours, typename Peer>
Pair bestOf(int rounds, size_t items, Ours ours, Peer peer) {
    std::vector<double> bestOurs(items, 1e30), bestPeer(items, 1e30);
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < items; ++i) {
            bestOurs[i] = std::min(bestOurs[i], ours(i));
            bestPeer[i] = std::min(bestPeer[i], peer(i));
        }
    Pair total;
    for (size_t i = 0; i < items; ++i) {
        total.ours += bestOurs[i];
        total.peer += bestPeer[i];
    }
    return total;
}

} // namespace orvella::bench
