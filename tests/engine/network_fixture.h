// Helpers that build a network from map rows and print search results as "S>A>E (5)".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/node.h"

struct Row {
    std::string from;
    std::string to;
    int64_t distance;
};

inline void Build(SfNodes& nodes, const std::vector<Row>& rows) {
    nodes.Clear();
    for (const Row& row : rows) {
        nodes.AddLink(row.from.c_str(), row.to.c_str(), row.distance);
    }
    nodes.SortLinks();
}

// The node names in id order, then per position the links into it as searched, with the
// name each comes from and its distance.
inline std::string NetworkText(const SfNodes& nodes) {
    std::string text;
    for (int32_t id = 0; id < nodes.GetCount(); ++id) {
        text += std::string(nodes.NodeName(id)) + " ";
    }
    const SfSearchGraph& graph = nodes.Graph();
    for (int32_t p = 0; p < graph.Count(); ++p) {
        text += "\n" + std::string(nodes.NodeName(graph.nodeAt[p])) + " <";
        for (uint32_t k = graph.inStart[p]; k < graph.inStart[p + 1]; ++k) {
            text += " " + std::string(nodes.NodeName(graph.nodeAt[graph.inArcs[k].node])) + ":" +
                    std::to_string(int64_t{graph.inArcs[k].distance});
        }
    }
    return text;
}

inline std::string Describe(int code, const tqArray<tqString>& names, int64_t distance) {
    if (code != SfNodes::srFound) {
        return "code " + std::to_string(code);
    }
    std::string out;
    for (int i = 0; i < names.count; ++i) {
        out += (i ? ">" : "") + std::string(names.items[i].GetText());
    }
    return out + " (" + std::to_string(distance) + ")";
}

inline std::string Search(SfNodes& nodes, const char* start, const char* end,
                          const tqArray<tqString>& vias = {}) {
    tqArray<tqString> names;
    int64_t distance = 0;
    int code = nodes.SearchRoute(start, end, vias, names, distance);
    return Describe(code, names, distance);
}

inline std::string Search(const std::vector<Row>& rows, const char* start, const char* end) {
    SfNodes nodes;
    Build(nodes, rows);
    return Search(nodes, start, end);
}
