#pragma once

#include "update/UpdateAlertPresenter.h"

#include <archive.h>
#include <archive_entry.h>
#include <sodium.h>
#include <unistd.h>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Keys, signatures, archives and feeds made on the spot, so no binary fixture is committed, and
// update windows answered by the test.
namespace UpdateTestSupport {

inline std::string base64(const unsigned char* bytes, std::size_t size) {
    std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL), '\0');
    sodium_bin2base64(text.data(), text.size(), bytes, size, sodium_base64_VARIANT_ORIGINAL);
    text.resize(text.size() - 1);
    return text;
}

struct KeyPair {
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> publicKey{};
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> secretKey{};

    static KeyPair generate() {
        KeyPair pair;
        if (sodium_init() < 0) {
            return pair;
        }
        crypto_sign_keypair(pair.publicKey.data(), pair.secretKey.data());
        return pair;
    }

    std::string publicKeyBase64() const { return base64(publicKey.data(), publicKey.size()); }

    // The base64 detached signature of `data`.
    std::string sign(std::string_view data) const {
        std::array<unsigned char, crypto_sign_BYTES> signature{};
        crypto_sign_detached(signature.data(), nullptr,
                             reinterpret_cast<const unsigned char*>(data.data()), data.size(),
                             secretKey.data());
        return base64(signature.data(), signature.size());
    }
};

struct ArchiveEntry {
    enum class Kind { file, directory, symlink, hardlink };
    std::string path;
    std::string content;
    Kind kind = Kind::file;
    std::string linkTarget;
    // The entry's mode bits; 0 gives the usual ones of its kind.
    unsigned mode = 0;
    // A file's size as its header gives it, when larger than its content: a sparse file, the
    // content at its start and a hole after it.
    la_int64_t declaredSize = 0;
};

// The Info file of an application bundle of this version.
inline std::string infoFile(const std::string& version) {
    return R"({"CFBundleIdentifier": "app.tessaline.Tessaline", "CFBundleVersion": ")" + version +
           "\"}";
}

// A gzip-compressed tar archive of the entries, written as given (no path cleaning). They belong
// to this process's user, so extraction would keep their set-id bits if nothing removed them.
inline std::string makeTarGz(const std::vector<ArchiveEntry>& entries) {
    // Room for every entry's headers and data, even where they do not compress.
    std::size_t room = 1 << 20;
    for (const auto& source : entries) {
        room += source.content.size() + 2 * (source.path.size() + source.linkTarget.size()) + 2048;
    }
    std::string buffer(room, '\0');
    std::size_t used = 0;
    const std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                         archive_write_free);
    archive_write_add_filter_gzip(writer.get());
    archive_write_set_format_pax_restricted(writer.get());
    archive_write_open_memory(writer.get(), buffer.data(), buffer.size(), &used);
    for (const auto& source : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, source.path.c_str());
        archive_entry_set_uid(entry, ::getuid());
        archive_entry_set_gid(entry, ::getgid());
        switch (source.kind) {
        case ArchiveEntry::Kind::file:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_size(entry, static_cast<la_int64_t>(source.content.size()));
            if (source.declaredSize > static_cast<la_int64_t>(source.content.size())) {
                archive_entry_set_size(entry, source.declaredSize);
                archive_entry_sparse_add_entry(entry, 0,
                                               static_cast<la_int64_t>(source.content.size()));
            }
            break;
        case ArchiveEntry::Kind::directory:
            archive_entry_set_filetype(entry, AE_IFDIR);
            archive_entry_set_perm(entry, 0755);
            break;
        case ArchiveEntry::Kind::symlink:
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_perm(entry, 0777);
            archive_entry_set_symlink(entry, source.linkTarget.c_str());
            break;
        case ArchiveEntry::Kind::hardlink:
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_perm(entry, 0644);
            archive_entry_set_hardlink(entry, source.linkTarget.c_str());
            break;
        }
        if (source.mode != 0) {
            archive_entry_set_perm(entry, source.mode);
        }
        archive_write_header(writer.get(), entry);
        if (source.kind == ArchiveEntry::Kind::file && !source.content.empty()) {
            archive_write_data(writer.get(), source.content.data(), source.content.size());
        }
        archive_entry_free(entry);
    }
    archive_write_close(writer.get());
    buffer.resize(used);
    return buffer;
}

// An appcast whose channel holds `items` (raw XML), with the update namespace as "sparkle".
inline std::string appcast(const std::string& items) {
    return R"(<?xml version="1.0" encoding="utf-8"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Tessaline</title>)" +
           items + "</channel></rss>";
}

// One item with an enclosure; an empty signature leaves the attribute out.
inline std::string item(const std::string& version, const std::string& url, std::size_t length,
                        const std::string& signature, const std::string& extra = {}) {
    std::string xml = "<item><title>Version " + version + "</title><sparkle:version>" + version +
                      "</sparkle:version><sparkle:shortVersionString>" + version +
                      "</sparkle:shortVersionString>" + extra + "<enclosure url=\"" + url +
                      "\" length=\"" + std::to_string(length) + "\" type=\"application/gzip\"";
    if (!signature.empty()) {
        xml += " sparkle:edSignature=\"" + signature + "\"";
    }
    return xml + "/></item>";
}

// The update windows as a person answers them: the found window waits for the test's answer,
// the ready window is closed (the update then waits for quit), alerts are read.
struct AnsweringPresenter final : update::UpdateAlertPresenter {
    void
    presentPermissionRequest(std::function<void(update::SUUpdatePermissionResponse)>) override {}
    void presentUpdateFound(const update::SUAppcastItem&, update::SPUUserUpdateState,
                            const std::string&,
                            std::function<void(update::SPUUserUpdateChoice)> reply) override {
        answer = std::move(reply);
    }
    void presentReleaseNotes(const std::optional<update::ReleaseNotes>&) override {
        ++releaseNotesShown;
    }
    void presentProgress(const update::UpdateProgress&, std::function<void()>) override {}
    void presentReadyToInstall(std::function<void(update::SPUUserUpdateChoice)> reply) override {
        reply(update::SPUUserUpdateChoice::dismiss);
    }
    void presentAlert(const update::UpdateAlert&, std::function<void()> acknowledgement) override {
        acknowledgement();
    }
    void dismiss() override {}

    std::function<void(update::SPUUserUpdateChoice)> answer;
    int releaseNotesShown = 0;
};

} // namespace UpdateTestSupport
