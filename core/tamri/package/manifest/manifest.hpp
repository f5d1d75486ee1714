#pragma once

// The manifest's JSON form. Every record rejects unknown keys; fields are listed in the order
// "unknown field" messages name them. The inspection summary and the runtime report write two
// of these records back out (the layout with nulls, model metadata without absent keys).

#include "tamri/json/record.hpp"
#include "tamri/package/manifest/types.hpp"

#include <string_view>
#include <type_traits>

namespace tamri::package {

constexpr auto json_schema(std::type_identity<PackageDirectoryLayout>) {
    using Layout = PackageDirectoryLayout;
    return json::record_schema<Layout>(
        "struct PackageDirectoryLayout", json::UnknownFields::reject, json::field<&Layout::manifest>("manifest"),
        json::field<&Layout::models>("models"), json::field<&Layout::tokenizers>("tokenizers"),
        json::field<&Layout::vocabs>("vocabs"), json::field<&Layout::pipelines>("pipelines"),
        json::field<&Layout::fixtures>("fixtures"), json::field<&Layout::observed>("observed"),
        json::field<&Layout::docs>("docs"));
}

constexpr auto json_schema(std::type_identity<DocumentArtifact>) {
    return json::record_schema<DocumentArtifact>("struct DocumentArtifact", json::UnknownFields::reject,
                                                 json::field<&DocumentArtifact::path>("path"),
                                                 json::field<&DocumentArtifact::checksum>("checksum"));
}

constexpr auto json_schema(std::type_identity<LicenseMetadata>) {
    return json::record_schema<LicenseMetadata>("struct LicenseMetadata", json::UnknownFields::reject,
                                                json::field<&LicenseMetadata::expression>("expression"),
                                                json::field<&LicenseMetadata::file>("file"));
}

constexpr auto json_schema(std::type_identity<CitationMetadata>) {
    return json::record_schema<CitationMetadata>(
        "struct CitationMetadata", json::UnknownFields::reject,
        json::field<&CitationMetadata::preferred_citation>("preferred_citation"),
        json::field<&CitationMetadata::doi>("doi"), json::field<&CitationMetadata::file>("file"));
}

constexpr auto json_schema(std::type_identity<ModelCardMetadata>) {
    using Card = ModelCardMetadata;
    return json::record_schema<Card>(
        "struct ModelCardMetadata", json::UnknownFields::reject, json::field<&Card::path>("path"),
        json::field<&Card::checksum>("checksum"), json::field<&Card::summary>("summary"),
        json::field<&Card::intended_use>("intended_use"), json::field<&Card::limitations>("limitations"));
}

constexpr auto json_schema(std::type_identity<PackageMetadata>) {
    return json::record_schema<PackageMetadata>(
        "struct PackageMetadata", json::UnknownFields::reject, json::field<&PackageMetadata::license>("license"),
        json::field<&PackageMetadata::citation>("citation"), json::field<&PackageMetadata::model_card>("model_card"));
}

// Written (as the model metadata summary) with absent keys left out.
constexpr auto json_schema(std::type_identity<ModelArtifactMetadata>) {
    using Metadata = ModelArtifactMetadata;
    constexpr json::Absent omitted = json::Absent::omitted;
    return json::record_schema<Metadata>(
        "struct ModelArtifactMetadata", json::UnknownFields::reject, json::field<&Metadata::name>("name"),
        json::field<&Metadata::version>("version", omitted),
        json::field<&Metadata::architecture>("architecture", omitted), json::field<&Metadata::task>("task", omitted),
        json::field<&Metadata::source>("source", omitted), json::field<&Metadata::description>("description", omitted));
}

constexpr auto json_schema(std::type_identity<ModelArtifact>) {
    return json::record_schema<ModelArtifact>(
        "struct ModelArtifact", json::UnknownFields::reject, json::field<&ModelArtifact::format>("format"),
        json::field<&ModelArtifact::path>("path"), json::field<&ModelArtifact::checksum>("checksum"),
        json::field<&ModelArtifact::metadata>("metadata"));
}

constexpr auto json_schema(std::type_identity<TokenAsset>) {
    return json::record_schema<TokenAsset>(
        "struct TokenAsset", json::UnknownFields::reject, json::field<&TokenAsset::name>("name"),
        json::field<&TokenAsset::path>("path"), json::field<&TokenAsset::checksum>("checksum"),
        json::field<&TokenAsset::contract_version>("contract_version"));
}

constexpr auto json_schema(std::type_identity<PipelineConfigArtifact>) {
    using Config = PipelineConfigArtifact;
    return json::record_schema<Config>(
        "struct PipelineConfigArtifact", json::UnknownFields::reject, json::field<&Config::path>("path"),
        json::field<&Config::schema_version>("schema_version"), json::field<&Config::checksum>("checksum"));
}

constexpr auto json_schema(std::type_identity<PipelineStep>) {
    return json::record_schema<PipelineStep>(
        "struct PipelineStep", json::UnknownFields::reject, json::field<&PipelineStep::name>("name"),
        json::field<&PipelineStep::implementation>("implementation"), json::field<&PipelineStep::contract>("contract"),
        json::field<&PipelineStep::contract_version>("contract_version"), json::field<&PipelineStep::config>("config"));
}

constexpr auto json_schema(std::type_identity<RuntimeTarget>) {
    return json::record_schema<RuntimeTarget>(
        "struct RuntimeTarget", json::UnknownFields::reject, json::field<&RuntimeTarget::backend>("backend"),
        json::field<&RuntimeTarget::target>("target"), json::field<&RuntimeTarget::version>("version"));
}

constexpr auto json_schema(std::type_identity<PackageFixture>) {
    return json::record_schema<PackageFixture>(
        "struct PackageFixture", json::UnknownFields::reject, json::field<&PackageFixture::name>("name"),
        json::field<&PackageFixture::input>("input"), json::field<&PackageFixture::expected_output>("expected_output"),
        json::field<&PackageFixture::input_hash>("input_hash"),
        json::field<&PackageFixture::expected_output_hash>("expected_output_hash"));
}

constexpr auto json_schema(std::type_identity<DataShape>) {
    return json::record_schema<DataShape>("struct DataShape", json::UnknownFields::reject,
                                          json::field<&DataShape::shape>("shape"),
                                          json::field<&DataShape::dtype>("dtype"));
}

constexpr auto json_schema(std::type_identity<PackageManifest>) {
    using Manifest = PackageManifest;
    return json::record_schema<Manifest>(
        "struct PackageManifest", json::UnknownFields::reject, json::field<&Manifest::schema_version>("schema_version"),
        json::field<&Manifest::name>("name"), json::field<&Manifest::package_layout>("package_layout"),
        json::field<&Manifest::metadata>("metadata"), json::field<&Manifest::model>("model"),
        json::field<&Manifest::tokenizer>("tokenizer"), json::field<&Manifest::vocab>("vocab"),
        json::field<&Manifest::preprocessing>("preprocessing"),
        json::field<&Manifest::postprocessing>("postprocessing"), json::field<&Manifest::runtime>("runtime"),
        json::field<&Manifest::expected_input>("expected_input"),
        json::field<&Manifest::expected_output>("expected_output"), json::field<&Manifest::fixtures>("fixtures"));
}

// Reads one manifest document strictly: unknown, duplicate and missing keys, unknown texts and
// wrong types anywhere fail with json::DecodeError ("json.invalid"), located by line and column.
[[nodiscard]] PackageManifest parse_package_manifest(std::string_view json_text);

}  // namespace tamri::package
