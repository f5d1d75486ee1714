#include "package.hpp"

#include "conversion.hpp"
#include "errors.hpp"

#include "package/manifest.hpp"
#include "package/runtime.hpp"
#include "package/summary.hpp"
#include "package/validation.hpp"

#include <array>

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
        return to_python(package::to_json(Operation(manifest))).release();
    });
}

PyObject* inspect_package_manifest(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::inspect_package_manifest>("inspect_package_manifest", args, kwargs);
}

PyObject* validate_package_manifest(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::validate_package_manifest>("validate_package_manifest", args, kwargs);
}

PyObject* plan_runtime_bridge(PyObject*, PyObject* args, PyObject* kwargs) {
    return report_on_manifest<&package::plan_runtime_bridge>("plan_runtime_bridge", args, kwargs);
}

}  // namespace

const PyMethodDef inspect_package_manifest_method = keyword_method("inspect_package_manifest", inspect_package_manifest,
                                                                   "inspect_package_manifest(manifest_json)\n--\n\n");
const PyMethodDef validate_package_manifest_method = keyword_method(
    "validate_package_manifest", validate_package_manifest, "validate_package_manifest(manifest_json)\n--\n\n");
const PyMethodDef plan_runtime_bridge_method =
    keyword_method("plan_runtime_bridge", plan_runtime_bridge, "plan_runtime_bridge(manifest_json)\n--\n\n");

}  // namespace tamri::python
