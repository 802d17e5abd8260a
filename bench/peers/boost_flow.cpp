// peer-boost-flow: Boost Graph's push-relabel maximum flow on a network with
// capacities or on the matching reduction of a bipartite problem. No
// counters.
#include <boost/graph/adjacency_list.hpp>
#include <boost/graph/push_relabel_max_flow.hpp>
#include <cstdio>

#include "peer_report.h"

namespace {

using Traits = boost::adjacency_list_traits<boost::vecS, boost::vecS, boost::directedS>;
using FlowGraph = boost::adjacency_list<
    boost::vecS, boost::vecS, boost::directedS, boost::no_property,
    boost::property<
        boost::edge_capacity_t, long,
        boost::property<boost::edge_residual_capacity_t, long,
                        boost::property<boost::edge_reverse_t, Traits::edge_descriptor>>>>;

// Every arc gets a capacity-0 reverse arc, as the algorithm requires.
void build(const Network& network, FlowGraph& g) {
  auto capacity = boost::get(boost::edge_capacity, g);
  auto reverse = boost::get(boost::edge_reverse, g);
  for (size_t i = 0; i < network.arcs.size(); ++i) {
    const Pair& arc = network.arcs[i];
    const auto forward = boost::add_edge(arc.first, arc.second, g).first;
    const auto backward = boost::add_edge(arc.second, arc.first, g).first;
    capacity[forward] = network.capacities[i];
    capacity[backward] = 0;
    reverse[forward] = backward;
    reverse[backward] = forward;
  }
}

}  // namespace

int main() {
  const PeerProblem problem = readProblem(stdin);
  const Network network = networkOf(problem);
  FlowGraph g(network.nodes);
  build(network, g);
  const double start = cpuSeconds();
  const long value = boost::push_relabel_max_flow(g, network.source, network.sink);
  reportFlow(problem, value, 0, 0, cpuSeconds() - start);
}
