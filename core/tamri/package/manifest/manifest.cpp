#include "tamri/package/manifest/manifest.hpp"

namespace tamri::package {

PackageManifest parse_package_manifest(std::string_view json_text) {
    return json::decode_record_document<PackageManifest>(json_text);
}

}  // namespace tamri::package
