#include "arrays_output.hpp"

#include "command.hpp"
#include "output_file.hpp"

#include "tamri/digest/sha256.hpp"
#include "tamri/json/record.hpp"

#include <memory>

namespace tamri::cli {
namespace {

// Each file written through its own temporary and named when it is complete.
class ArrayFiles final : public io::FileSink {
public:
    explicit ArrayFiles(std::filesystem::path directory) : directory_(std::move(directory)) {}

    void open(const std::string& name) override { output_ = std::make_unique<Output>((directory_ / name).string()); }
    void write(std::string_view bytes) override { output_->write(bytes); }
    void close() override {
        output_->commit();
        output_.reset();
    }

private:
    std::filesystem::path directory_;
    std::unique_ptr<Output> output_;
};

}  // namespace

void remove_arrays(const std::filesystem::path& prefix) {
    const std::filesystem::path directory = prefix.parent_path();
    for (const std::string& name : arrays::array_file_names(prefix.filename().string())) {
        remove_file_if_present(directory / name);
    }
}

arrays::ArraysReference write_arrays(const std::filesystem::path& prefix, const ModelInput& model_input,
                                     const std::string& output_data_sha256) {
    remove_arrays(prefix);
    const std::string name = prefix.filename().string();
    ArrayFiles files{prefix.parent_path()};
    const arrays::ArraysManifest manifest =
        arrays::write_model_input_arrays(model_input, name, output_data_sha256, files);
    std::string text = json::json_text(manifest);
    text.push_back('\n');
    const std::string manifest_name = arrays::arrays_manifest_name(name);
    Output output{(prefix.parent_path() / manifest_name).string()};
    output.write(text);
    output.commit();
    return arrays::ArraysReference{manifest_name, sha256_bytes_digest(text)};
}

}  // namespace tamri::cli
