#pragma once

// SHA-256 digests as "sha256:" texts, over OpenSSL: incremental hashing, digests of raw bytes, and
// digests of a JSON document's canonical form, so that key order and white space do not matter.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct evp_md_ctx_st;

namespace tamri {

inline constexpr std::string_view sha256_digest_prefix = "sha256:";

// Incremental SHA-256 over OpenSSL's EVP interface, rendered as "sha256:" and 64 lowercase
// hexadecimal digits. Lets large inputs be hashed piece by piece without holding them whole.
class Sha256 {
public:
    Sha256();

    void update(std::string_view bytes);

    // The digest text of everything fed so far. The computation is spent afterwards.
    [[nodiscard]] std::string finish();

private:
    struct ContextDeleter {
        void operator()(evp_md_ctx_st* context) const noexcept;
    };
    std::unique_ptr<evp_md_ctx_st, ContextDeleter> context_;
};

// "sha256:" and the 64 lowercase hexadecimal digits of the bytes' SHA-256 value.
[[nodiscard]] std::string sha256_bytes_digest(std::string_view bytes);

// The canonical form of one JSON document: no white space, object members sorted by the bytes
// of their keys (a repeated key keeps its last value), only the necessary string escapes, integers
// in plain decimal and other numbers in their shortest round-trip spelling. Absent when the bytes
// are not exactly one JSON document of valid UTF-8.
[[nodiscard]] std::optional<std::string> canonical_json_text(std::string_view json);

// The digest of the canonical form of a JSON document, so that key order and white space do not
// matter; bytes that are not JSON get the digest of the bytes as given.
[[nodiscard]] std::string sha256_canonical_json_digest(std::string_view json);

}  // namespace tamri
