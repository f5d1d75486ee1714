#include "package_api.hpp"

#include "conversion.hpp"
#include "error_bridge.hpp"

#include "tamri/package/checks.hpp"
#include "tamri/package/manifest/manifest.hpp"
#include "tamri/package/rules/validation.hpp"
#include "tamri/package/runtime/bridge.hpp"
#include "tamri/package/summary.hpp"

#include <array>
#include <filesystem>
#include <string>

namespace tamri::python {
namespace {

// Parses `manifest_json` ("json.invalid" when it is no manifest), runs `Operation` and returns
// its report as JSON text.
template <auto Operation>
PyObject* report_on_manifest(const char* function_name, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 1> parameters{{{"manifest_json"}}};
        const auto [manifest_json] = bind_arguments(function_name, parameters, args, kwargs);
        const package::PackageManifest manifest =
            package::parse_package_manifest(extract_text(manifest_json, "manifest_json"));
        return to_python(json::json_text(Operation(manifest))).release();
    });
}

PyObject* inspect_package_manifest(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::inspect_package_manifest>("inspect_package_manifest", args, kwargs);
}

PyObject* validate_package_manifest(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::validate_package_manifest>("validate_package_manifest", args, kwargs);
}

PyObject* validate_package_manifest_artifacts(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 2> parameters{{{"manifest_json"}, {"base_dir"}}};
        const auto [manifest_json, base_dir] =
            bind_arguments("validate_package_manifest_artifacts", parameters, args, kwargs);
        const std::string_view manifest_text = extract_text(manifest_json, "manifest_json");
        const std::filesystem::path root{std::string{extract_text(base_dir, "base_dir")}};
        const package::PackageManifest manifest = package::parse_package_manifest(manifest_text);
        return to_python(json::json_text(package::validate_package_manifest_artifacts(manifest, root))).release();
    });
}

PyObject* validate_package_manifest_file(PyObject*, PyObject* args, PyObject* kwargs) {
    return guarded([&] {
        static constexpr std::array<Parameter, 1> parameters{{{"manifest_path"}}};
        const auto [manifest_path] = bind_arguments("validate_package_manifest_file", parameters, args, kwargs);
        const auto report =
            package::validate_package_manifest_file(std::string{extract_text(manifest_path, "manifest_path")});
        if (const auto* error = report.error()) {
            throw_python_error(PyExc_OSError, package::manifest_read_error_text(*error));
        }
        return to_python(json::json_text(report.value())).release();
    });
}

PyObject* plan_runtime_bridge(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::plan_runtime_bridge>("plan_runtime_bridge", args, kwargs);
}

}  // namespace

const PyMethodDef inspect_package_manifest_method = keyword_method("inspect_package_manifest", inspect_package_manifest,
                                                                   "inspect_package_manifest(manifest_json)\n--\n\n");
const PyMethodDef validate_package_manifest_method = keyword_method(
    "validate_package_manifest", validate_package_manifest, "validate_package_manifest(manifest_json)\n--\n\n");
const PyMethodDef validate_package_manifest_artifacts_method =
    keyword_method("validate_package_manifest_artifacts", validate_package_manifest_artifacts,
                   "validate_package_manifest_artifacts(manifest_json, base_dir)\n--\n\n");
const PyMethodDef validate_package_manifest_file_method =
    keyword_method("validate_package_manifest_file", validate_package_manifest_file,
                   "validate_package_manifest_file(manifest_path)\n--\n\n");
const PyMethodDef plan_runtime_bridge_method =
    keyword_method("plan_runtime_bridge", plan_runtime_bridge, "plan_runtime_bridge(manifest_json)\n--\n\n");

}  // namespace tamri::python
