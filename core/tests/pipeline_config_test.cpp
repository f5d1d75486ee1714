#include "package_test_support.hpp"
#include "tamri/package/pipeline/config.hpp"
#include "tamri/package/pipeline/fields.hpp"
#include "tamri/package/pipeline/toml.hpp"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tamri::package {

void PrintTo(const ReferencedConfigError& error, std::ostream* out) {
    *out << error.code << ": " << error.message << " @ " << error.location.value_or("(none)");
}

namespace {

constexpr std::string_view valid_toml = R"(schema_version = "tamri.pipeline.v0" # comment
name = "demo"
[input]
format = "fasta"
path = "in.fasta"
[normalize]
policy = "strip_ascii_whitespace_uppercase"
[validate]
kind = "protein"
[tokenize]
profile = "protein-20"
[export]
format = "model-input-json"
max_length = 512
padding = "no_padding"
)";

std::string edited(std::string_view from, std::string_view to) {
    std::string text{valid_toml};
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
}

std::optional<ReferencedConfigError> error_of(const Result<PipelineConfig, ReferencedConfigError>& parsed) {
    if (const auto* error = parsed.error()) {
        return *error;
    }
    const auto fields = validate_pipeline_config_fields(parsed.value());
    if (const auto* error = fields.error()) {
        return *error;
    }
    return std::nullopt;
}

std::optional<ReferencedConfigError> error_of(const Result<void, ReferencedConfigError>& checked) {
    return checked.ok() ? std::nullopt : std::optional{*checked.error()};
}

ReferencedConfigError invalid(std::string message, std::optional<std::string> location) {
    return {"pipeline.invalid_config", std::move(message), std::move(location)};
}

TEST(TomlPipelineConfig, ParsesTheSubset) {
    const auto parsed = parse_toml_pipeline_config(valid_toml);
    ASSERT_TRUE(parsed.ok());
    const PipelineConfig& config = parsed.value();
    EXPECT_EQ(std::tie(config.name, config.export_.max_length, config.export_.padding, config.export_.pad_token_id),
              std::make_tuple("demo", 512U, "no_padding", std::nullopt));

    const auto quoted = parse_toml_pipeline_config(edited("name = \"demo\"", "name = \"a #b\"\r"));
    EXPECT_EQ(quoted.value().name, "a");
    const auto plus = parse_toml_pipeline_config(edited("max_length = 512", "max_length = +64\npad_token_id = '255'"));
    EXPECT_EQ(plus.value().export_.max_length, 64U);
    EXPECT_EQ(plus.value().export_.pad_token_id, 255);
}

TEST(TomlPipelineConfig, ReportsTheFirstFailure) {
    const struct {
        std::string from, to;
        ReferencedConfigError error;
    } cases[] = {
        {"[input]", "[model]", invalid("unknown section 'model'", "model")},
        {"[input]", "[ ]", invalid("unknown section ''", "")},
        {"format = \"fasta\"", "name = \"x\"", invalid("unknown field 'input.name'", "input.name")},
        {"format = \"fasta\"", "  fasta  ", invalid("invalid pipeline config TOML line: fasta", std::nullopt)},
        {"max_length = 512", "max_length = 512\nmax_length = 1",
         invalid("duplicate field 'export.max_length'", "export.max_length")},
        {"max_length = 512", "max_length = -1",
         invalid("export.max_length must be an unsigned integer", "export.max_length")},
        {"max_length = 512", "max_length = 1e3",
         invalid("export.max_length must be an unsigned integer", "export.max_length")},
        {"max_length = 512", "max_length = 99999999999999999999999",
         invalid("export.max_length must be an unsigned integer", "export.max_length")},
        {"max_length = 512", "max_length = 5\npad_token_id = 256",
         invalid("export.pad_token_id must be an unsigned 8-bit integer", "export.pad_token_id")},
        {"\"tamri.pipeline.v0\"", "pipeline.v0", invalid("schema_version must be tamri.pipeline.v0", "schema_version")},
        {"path = \"in.fasta\"", "", invalid("input.path is required", "input.path")},
        {"kind = \"protein\"", "kind = \"dna\"",
         invalid("validate.kind must be 'protein' for profile 'protein-20'", "validate.kind")},
        {"kind = \"protein\"", "kind = \"DNA\"",
         invalid("validate.kind must be one of protein, dna, rna", "validate.kind")},
        {"profile = \"protein-20\"", "profile = \"protein\"",
         invalid("tokenize.profile must be one of protein-20, protein-20-special, dna-iupac, dna-iupac-special, "
                 "rna-iupac, rna-iupac-special",
                 "tokenize.profile")},
        {"max_length = 512", "max_length = 0",
         invalid("export.max_length must be greater than zero", "export.max_length")},
        {"format = \"model-input-json\"", "format = \"json\"",
         invalid("export.format must be 'model-input-json'", "export.format")},
    };
    for (const auto& [from, to, error] : cases) {
        EXPECT_EQ(error_of(parse_toml_pipeline_config(edited(from, to))), error) << to;
    }
}

constexpr std::string_view valid_json =
    R"({"schema_version":"tamri.pipeline.v0","name":"demo","input":{"format":"fasta","path":"in.fasta"},)"
    R"("normalize":{"policy":"strip_ascii_whitespace_uppercase"},"validate":{"kind":"dna"},)"
    R"("tokenize":{"profile":"dna-iupac-special"},"export":{"format":"model-input-json","max_length":8,"pad_token_id":null}})";

TEST(PipelineConfigSyntax, ChoosesTheParserByExtension) {
    EXPECT_EQ(error_of(parse_pipeline_config("p/PIPELINE.TOML", valid_toml)), std::nullopt);
    EXPECT_EQ(error_of(parse_pipeline_config("p.Json", valid_json)), std::nullopt);
    EXPECT_EQ(parse_pipeline_config("p.json", valid_json).value().export_.padding, "fixed_length");
    EXPECT_EQ(error_of(parse_pipeline_config("p/pipeline.yaml", "")),
              invalid("unsupported pipeline config extension: yaml", "p/pipeline.yaml"));
    EXPECT_EQ(error_of(parse_pipeline_config("p/pipeline", "")),
              invalid("pipeline config path must have .json or .toml extension", "p/pipeline"));

    std::string extra{valid_json};
    extra.insert(1, R"("x":1,)");
    EXPECT_EQ(error_of(parse_pipeline_config("p.json", extra)),
              invalid("invalid pipeline config JSON: unknown field `x`, expected one of `schema_version`, `name`, "
                      "`input`, `normalize`, `validate`, `tokenize`, `export` at line 1 column 4",
                      "p.json"));
}

TEST(PipelineConfigArtifact, KeepsTheInputInsideTheRoot) {
    const TempDirectory base;
    const auto pkg = base.path / "pkg";
    write_file(pkg / "pipelines" / "in.fasta", ">a\nACGT\n");
    write_file(base.path / "outside.fasta", ">a\nACGT\n");
    const auto config = [&](std::string_view input) {
        write_file(pkg / "pipelines" / "p.toml", edited("path = \"in.fasta\"", fmt::format("path = \"{}\"", input)));
        return error_of(validate_pipeline_config_artifact(pkg, pkg / "pipelines" / "p.toml"));
    };
    EXPECT_EQ(config("in.fasta"), std::nullopt);
    EXPECT_EQ(config("../../outside.fasta"),
              invalid("package pipeline input.path must stay inside the package root", "input.path"));
    EXPECT_EQ(config("/etc/hosts"), invalid("package pipeline input.path must be package-relative", "input.path"));
    const auto missing = pkg / "pipelines" / "none.fasta";
    EXPECT_EQ(
        config("none.fasta"),
        invalid(fmt::format("failed to canonicalize '{}': No such file or directory (os error 2)", missing.string()),
                missing.string()));
    const auto absent = pkg / "pipelines" / "absent.toml";
    EXPECT_EQ(error_of(validate_pipeline_config_artifact(pkg, absent)),
              invalid(fmt::format("failed to read pipeline config: No such file or directory (os error 2)"),
                      absent.string()));
}

}  // namespace
}  // namespace tamri::package
