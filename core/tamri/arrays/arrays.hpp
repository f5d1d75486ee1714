#pragma once

// Model input as NumPy files for training loops: token ids, attention masks or row offsets,
// truncation flags and identifiers, and the manifest that lists each file's dtype, shape and
// digest under the workflow output's digest. Files are handed to a sink piece by piece.

#include "tamri/io/file_sink.hpp"
#include "tamri/json/record.hpp"
#include "tamri/model_input/model_input.hpp"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tamri::arrays {

inline constexpr std::string_view arrays_format = "tamri.model_input_arrays.v0";

struct ArrayFile {
    std::string name;                  // beside the manifest
    std::string dtype;                 // NumPy's descriptor, e.g. "|u1"; "json" for the identifiers
    std::vector<std::uint64_t> shape;  // the identifiers: [records]
    std::string sha256;                // of the file's bytes
};

// PREFIX.arrays.json, written last: its presence says that every file it lists is complete.
struct ArraysManifest {
    std::string format{arrays_format};
    std::string output_data_sha256;  // the workflow report's
    std::vector<ArrayFile> files;
};

constexpr auto json_schema(std::type_identity<ArrayFile>) {
    using T = ArrayFile;
    return json::record_schema<T>("struct ArrayFile", json::UnknownFields::reject, json::field<&T::name>("name"),
                                  json::field<&T::dtype>("dtype"), json::field<&T::shape>("shape"),
                                  json::field<&T::sha256>("sha256"));
}

constexpr auto json_schema(std::type_identity<ArraysManifest>) {
    using T = ArraysManifest;
    return json::record_schema<T>(
        "struct ArraysManifest", json::UnknownFields::reject, json::field<&T::format>("format"),
        json::field<&T::output_data_sha256>("output_data_sha256"), json::field<&T::files>("files"));
}

// A set of arrays as a report names it: the manifest's file name and the SHA-256 of its bytes.
struct ArraysReference {
    std::string file;
    std::string sha256;

    friend bool operator==(const ArraysReference&, const ArraysReference&) = default;
};

constexpr auto json_schema(std::type_identity<ArraysReference>) {
    using T = ArraysReference;
    return json::record_schema<T>("struct ArraysReference", json::UnknownFields::reject, json::field<&T::file>("file"),
                                  json::field<&T::sha256>("sha256"));
}

// The names a prefix's set may use, the manifest's first: a set is removed in this order.
[[nodiscard]] std::vector<std::string> array_file_names(std::string_view prefix);
[[nodiscard]] std::string arrays_manifest_name(std::string_view prefix);

// Writes the rows of `model_input` as `{prefix}.input_ids.npy` and, under fixed_length,
// `{prefix}.attention_mask.npy` (uint8, records × max_length), or under no_padding the rows end
// to end and `{prefix}.offsets.npy` (uint64, records + 1); then `{prefix}.truncated.npy` (bool)
// and `{prefix}.ids.json`. Returns the manifest, which the caller writes last.
[[nodiscard]] ArraysManifest write_model_input_arrays(const ModelInput& model_input, std::string_view prefix,
                                                      std::string output_data_sha256, io::FileSink& sink);

// The header of a NumPy format 1.0 file of C order, padded with spaces to a multiple of 64 bytes.
[[nodiscard]] std::string npy_header(std::string_view dtype, const std::vector<std::uint64_t>& shape);

}  // namespace tamri::arrays
