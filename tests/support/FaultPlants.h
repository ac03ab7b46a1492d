// The two plants of the fault tests: a child that is made to misbehave, and its healthy neighbour.
#pragma once

namespace mq::test {

// Two top-level nodes, the second with a sub-node whose tag the merged tree
// does not show, and a batch; the host's tree of the pair is nodes 1 A1,
// 2 A2, 3 B1 and tags 1 A1/F, 2 A1/S, 3 A2/G, 4 B1/H, 5 B1/T.
inline const char* const FAULTY_PLANT = R"(clock 1700000000
node A1
tag A1 F float base=10 amplitude=2
tag A1 S string states=On,Off
node A2
tag A2 G float base=5
node A2/Sub
tag A2/Sub X float base=1
batch A1 BA 1699990000 1699999000
)";

inline const char* const HEALTHY_PLANT = R"(clock 1700000000
node B1
tag B1 H float base=50 amplitude=3
tag B1 T string states=Up,Down
batch B1 BB 1699000000 1699100000
)";

}  // namespace mq::test
