#include "settings_options.hpp"

#include "command.hpp"

#include "tamri/base/codes.hpp"
#include "tamri/model_input/model_input.hpp"
#include "tamri/package/pipeline/config.hpp"
#include "tamri/workflow/workflow.hpp"

#include <string>
#include <vector>

namespace tamri::cli {
namespace {

// The settings as given, the texts not yet judged.
corpus::ShardSettings given_settings(const SettingsOptions& options) {
    const corpus::UnreadyRecords unready = *parse_enum<corpus::UnreadyRecords>(options.unready);
    if (options.pipeline_config.empty()) {
        if (options.max_length_option->count() == 0) {
            throw ToolError{code::cli_invalid_arguments, "--max-length is required"};
        }
        return corpus::ShardSettings{
            options.max_length, options.pad_token_id, options.padding, options.profile, unready, options.arrays};
    }
    const auto read = package::read_pipeline_workflow_settings(options.pipeline_config);
    if (const package::ReferencedConfigError* error = read.error()) {
        throw ToolError{code::pipeline_invalid_config, error->message};
    }
    const package::PipelineWorkflowSettings& settings = read.value();
    return corpus::ShardSettings{
        settings.max_length, settings.pad_token_id, settings.padding, std::string{enum_text(settings.profile)}, unready,
        options.arrays};
}

}  // namespace

corpus::ShardSettings SettingsOptions::resolve() const {
    corpus::ShardSettings settings = given_settings(*this);
    // Judged before any input is read, which spares reading a whole input only to refuse a
    // misspelt option; the workflow judges them again once the records are counted.
    (void)workflow_settings_from_arguments(settings.arguments(), 0);
    return settings;
}

void add_settings_options(CLI::App& command, SettingsOptions& options) {
    options.max_length_option =
        command.add_option("--max-length", options.max_length, "Longest row of token ids; greater than zero")
            ->check(unsigned_decimal<std::uint64_t>());
    CLI::Option* pad = command.add_option("--pad-token-id", options.pad_token_id, "Token id of padding, 0 to 255")
                           ->check(unsigned_decimal<std::uint8_t>())
                           ->default_str("0");
    CLI::Option* padding =
        command.add_option("--padding", options.padding, choices_text<PaddingPolicy>())->capture_default_str();
    add_profile_option(command, options.profile);
    CLI::Option* profile = command.get_option("--profile");
    command
        .add_option("--pipeline-config", options.pipeline_config,
                    "A model package's pipeline configuration (JSON or TOML) whose profile, max_length, pad_token_id "
                    "and padding are the settings; its input path is not used")
        ->excludes(options.max_length_option)
        ->excludes(pad)
        ->excludes(padding)
        ->excludes(profile);
}

void add_shard_run_options(CLI::App& command, SettingsOptions& options) {
    command
        .add_option("--unready", options.unready,
                    "keep: a shard with a record that is not model-ready has no model input; drop: such records are "
                    "set aside and listed")
        ->check(CLI::IsMember(std::vector<std::string>(enum_texts<corpus::UnreadyRecords>.begin(),
                                                       enum_texts<corpus::UnreadyRecords>.end())))
        ->capture_default_str();
    command.add_flag("--arrays", options.arrays,
                     "Training arrays beside each model-ready shard's report: DIR/shard-NNNNN.input_ids.npy and the "
                     "rest, listed with their digests in DIR/shard-NNNNN.arrays.json");
}

}  // namespace tamri::cli
