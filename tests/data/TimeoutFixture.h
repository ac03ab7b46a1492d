// Children with a call timeout, configured through the real file.
#pragma once

#include "MultiplexerFixture.h"

#include <chrono>
#include <thread>

namespace mq::test {

// Child 0 ("Slow", node P, tags 1 and 2) has timeout="0.2"; child 1
// ("Healthy", node Q, tags 3 to 5) has none.
class TimeoutTest : public MultiplexerTest {
protected:
    static std::string plantP() {
        return "clock 1700000000\nnode P\ntag P p1 float base=10 amplitude=2 period=600\n"
               "tag P p2 string states=Open,Shut dwell=60\nbatch P B-7 1699990000 1699999000\n";
    }
    static std::string plantQ() {
        return "clock 1700000000\nnode Q\ntag Q decoy float\ntag Q q1 float base=50 amplitude=9 period=900\n"
               "tag Q q2 float base=-4\nbatch Q B-7 1699980000 1699999500\n";
    }
    // A fresh pair of children, their files named after `name`; the slow
    // child's sidecar gets `slowLines` too. Returns the slow child.
    SimChild& configureSlowAndHealthy(const std::string& name, const std::string& slowLines,
                                      const std::string& settingsAttributes = "") {
        SimChild& slow = addChild(name + "Slow", plantP() + slowLines);
        healthy = &addChild(name + "Healthy", plantQ());
        configuration->writeBytes("<?xml version=\"1.0\"?>\n<settings" + settingsAttributes + ">\n    <quellan path=\"" +
                                  slow.libraryPath() + "\" timeout=\"0.2\" />\n    <quellan path=\"" +
                                  healthy->libraryPath() + "\" />\n</settings>\n");
        return slow;
    }
    // Waits until the child's journal has `count` calls of `function`: the
    // line is written when the call returns. Bounded, so that a call that
    // never comes fails the test instead of hanging it.
    static void awaitCalls(const SimChild& child, const std::string& function, std::size_t count) {
        for (int wait = 0; wait < 1000 && child.journal(function).size() < count; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    SimChild* healthy = nullptr;
};

}  // namespace mq::test
