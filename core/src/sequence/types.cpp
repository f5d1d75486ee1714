#include "sequence/types.hpp"

#include "json/writer.hpp"

namespace tamri {

void write_json(json::JsonWriter& writer, const ResidueIssue& issue) {
    writer.begin_object()
        .key("residue")
        .character(issue.residue)
        .key("position")
        .unsigned_integer(issue.position)
        .end_object();
}

}  // namespace tamri
