#include "tamri/arrays/arrays.hpp"

#include "tamri/digest/sha256.hpp"
#include "tamri/json/writer.hpp"

#include <fmt/format.h>

#include <array>
#include <bit>
#include <cstring>
#include <functional>

namespace tamri::arrays {
namespace {

static_assert(std::endian::native == std::endian::little, "the .npy files are written little-endian as held");

constexpr std::string_view uint8_dtype = "|u1";
constexpr std::string_view uint64_dtype = "<u8";
constexpr std::string_view bool_dtype = "|b1";

// The files of a set after its prefix; the manifest is named apart.
constexpr std::string_view input_ids_part = "input_ids.npy";
constexpr std::string_view attention_mask_part = "attention_mask.npy";
constexpr std::string_view offsets_part = "offsets.npy";
constexpr std::string_view truncated_part = "truncated.npy";
constexpr std::string_view ids_part = "ids.json";

// One file of the set: its bytes go to the sink and into its digest.
class ArrayFileWriter {
public:
    ArrayFileWriter(io::FileSink& sink, std::string name) : sink_(sink), name_(std::move(name)) { sink_.open(name_); }

    void write(std::string_view bytes) {
        sink_.write(bytes);
        digest_.update(bytes);
    }

    ArrayFile close(std::string_view dtype, std::vector<std::uint64_t> shape) {
        sink_.close();
        return ArrayFile{std::move(name_), std::string{dtype}, std::move(shape), digest_.finish()};
    }

private:
    io::FileSink& sink_;
    std::string name_;
    Sha256 digest_;
};

std::string_view bytes_of(const std::vector<std::uint8_t>& values) {
    return {reinterpret_cast<const char*>(values.data()), values.size()};
}

// A .npy file: its header, then the bytes `body` writes.
ArrayFile write_npy(io::FileSink& sink, std::string name, std::string_view dtype, std::vector<std::uint64_t> shape,
                    const std::function<void(ArrayFileWriter&)>& body) {
    ArrayFileWriter file{sink, std::move(name)};
    file.write(npy_header(dtype, shape));
    body(file);
    return file.close(dtype, std::move(shape));
}

std::string file_name(std::string_view prefix, std::string_view part) {
    return fmt::format("{}.{}", prefix, part);
}

std::string ids_json(const ModelInput& model_input) {
    json::JsonWriter writer;
    writer.begin_array();
    for (const ModelInputRecord& record : model_input.records) {
        writer.string(record.id);
    }
    writer.end_array();
    return writer.take();
}

}  // namespace

std::string npy_header(std::string_view dtype, const std::vector<std::uint64_t>& shape) {
    std::string dimensions = fmt::format("{}", fmt::join(shape, ", "));
    if (shape.size() == 1) {
        dimensions += ',';
    }
    // Magic and version 1.0, then the dictionary's length (set below) and the dictionary.
    std::string header{"\x93NUMPY\x01\x00__", 10};
    header += fmt::format("{{'descr': '{}', 'fortran_order': False, 'shape': ({}), }}", dtype, dimensions);
    constexpr std::size_t alignment = 64;
    const std::size_t padded = (header.size() + 1 + alignment - 1) / alignment * alignment;
    header.append(padded - header.size() - 1, ' ');
    header.push_back('\n');
    const std::size_t dictionary_bytes = padded - 10;  // magic, version and the length itself come first
    header[8] = static_cast<char>(dictionary_bytes & 0xff);
    header[9] = static_cast<char>(dictionary_bytes >> 8);
    return header;
}

std::vector<std::string> array_file_names(std::string_view prefix) {
    std::vector<std::string> names{arrays_manifest_name(prefix)};
    for (const std::string_view part : {input_ids_part, attention_mask_part, offsets_part, truncated_part, ids_part}) {
        names.push_back(file_name(prefix, part));
    }
    return names;
}

std::string arrays_manifest_name(std::string_view prefix) {
    return file_name(prefix, "arrays.json");
}

ArraysManifest write_model_input_arrays(const ModelInput& model_input, std::string_view prefix,
                                        std::string output_data_sha256, io::FileSink& sink) {
    const std::vector<ModelInputRecord>& records = model_input.records;
    const std::uint64_t count = records.size();
    ArraysManifest manifest{std::string{arrays_format}, std::move(output_data_sha256), {}};
    const auto name = [prefix](std::string_view part) { return file_name(prefix, part); };
    const auto rows = [&records](ArrayFileWriter& file) {
        for (const ModelInputRecord& record : records) {
            file.write(bytes_of(record.input_ids));
        }
    };
    if (model_input.policy.padding == PaddingPolicy::FixedLength) {
        const std::uint64_t width = model_input.policy.max_length;
        manifest.files.push_back(write_npy(sink, name(input_ids_part), uint8_dtype, {count, width}, rows));
        manifest.files.push_back(
            write_npy(sink, name(attention_mask_part), uint8_dtype, {count, width}, [&records](ArrayFileWriter& file) {
                for (const ModelInputRecord& record : records) {
                    file.write(bytes_of(record.attention_mask));
                }
            }));
    } else {
        std::vector<std::uint64_t> offsets{0};
        offsets.reserve(records.size() + 1);
        for (const ModelInputRecord& record : records) {
            offsets.push_back(offsets.back() + record.input_ids.size());
        }
        manifest.files.push_back(write_npy(sink, name(input_ids_part), uint8_dtype, {offsets.back()}, rows));
        manifest.files.push_back(
            write_npy(sink, name(offsets_part), uint64_dtype, {count + 1}, [&offsets](ArrayFileWriter& file) {
                file.write({reinterpret_cast<const char*>(offsets.data()), offsets.size() * sizeof(std::uint64_t)});
            }));
    }
    manifest.files.push_back(
        write_npy(sink, name(truncated_part), bool_dtype, {count}, [&records](ArrayFileWriter& file) {
            std::string flags;
            flags.reserve(records.size());
            for (const ModelInputRecord& record : records) {
                flags.push_back(record.truncated ? '\1' : '\0');
            }
            file.write(flags);
        }));
    ArrayFileWriter ids{sink, name(ids_part)};
    ids.write(ids_json(model_input));
    ids.write("\n");
    manifest.files.push_back(ids.close("json", {count}));
    return manifest;
}

}  // namespace tamri::arrays
