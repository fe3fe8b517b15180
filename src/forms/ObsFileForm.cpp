// Name derivation of the interactive observation conversion (see ObsNaming.h).
#include "forms/ObsFileForm.h"

#include <filesystem>
#include <system_error>

#include "ashtech/BFileReader.h"
#include "convert/ReceiverModels.h"
#include "run/OutputChain.h"
#include "run/OutputNames.h"

namespace kelvrant {
namespace {

namespace fs = std::filesystem;

bool IsFile(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

bool IsDirectory(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

}  // namespace

std::string FindCompanionFile(const std::string& path) {
    if (path.empty()) return {};
    if (IsFile(path)) return path;
    const PathParts parts = SplitPath(path);
    const std::string wanted = path.substr(parts.directory.size());
    const fs::path directory = parts.directory.empty() ? fs::path(".") : fs::path(parts.directory);
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec) return {};
    // Of several spellings the first in byte order wins, so the choice never depends on the
    // order the directory lists its entries in.
    std::string best;
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) break;
        const std::string name = it->path().filename().string();
        if (!EqualIgnoringCase(name, wanted)) continue;
        if (!IsFile(parts.directory + name)) continue;
        if (best.empty() || name < best) best = name;
    }
    return best.empty() ? std::string() : parts.directory + best;
}

std::string CompanionCandidate(const std::string& bFileName, char letter) {
    PathParts parts = SplitPath(bFileName);
    if (parts.base.empty()) return {};
    parts.base[0] = letter;
    return parts.directory + parts.base + parts.extension;
}

std::string IonCandidate(const std::string& bFileName) {
    const PathParts parts = SplitPath(bFileName);
    if (parts.base.size() <= 7) return {};
    return parts.directory + "ION" + parts.base.substr(6, 2) + parts.extension;
}

ObsOutputNames MakeObsOutputNames(const std::string& bFileName) {
    const PathParts parts = SplitPath(bFileName);
    const std::string& base = parts.base;
    if (base.size() < 8) return {};
    const std::string site = base.substr(1, 4);
    const std::string day = parts.extension.size() > 1 ? parts.extension.substr(1, 3) : "";
    std::string session;
    std::string year;
    if (base.size() == 8) {
        session = std::string(1, ConvertSessionCharacter(base[5]));
        year = base.substr(6, 2);
    } else {
        session = base.substr(5, 3);
        for (char& c : session)
            c = UpperAscii(c);
        year = base.substr(8, 2);
    }
    const std::string stem = parts.directory + site + day + session + "." + year;
    return {stem + "O", stem + "N", stem + "G"};
}

bool DeriveObsNames(const std::string& bFileName, DerivedObsNames& names,
                    const OutputFormat& format) {
    if (!IsFile(bFileName)) return false;
    names.bFile = bFileName;
    names.eFile = FindCompanionFile(CompanionCandidate(bFileName, 'E'));
    names.sFile = FindCompanionFile(CompanionCandidate(bFileName, 'S'));
    names.ionFile = FindCompanionFile(IonCandidate(bFileName));
    ObsOutputNames outputs = MakeObsOutputNames(bFileName);
    names.obsFile = std::move(outputs.obs);
    names.navFile = std::move(outputs.nav);
    names.navGFile = std::move(outputs.navG);
    // Only GPS+GLONASS receivers get a GLONASS navigation file, and only in RINEX 2.
    const bool glonass = TracksGlonass(ReadBFileReceiverType(bFileName));
    const bool rinex3 = format.rinexVersion == 3;
    if (!glonass || rinex3) names.navGFile.clear();
    if (rinex3 && glonass && !names.navFile.empty()) names.navFile.back() = 'P';
    const auto compressed = [&format](std::string& name, bool observation) {
        if (!name.empty())
            name = CompressedRinex2Name(name, observation, format.compact, format.gzip);
    };
    compressed(names.obsFile, true);
    compressed(names.navFile, false);
    compressed(names.navGFile, false);
    return true;
}

BrowseStart FindBrowseStart(const std::string& text) {
    BrowseStart start;
    if (text.empty()) return start;
    if (IsFile(text)) {
        start.directory = SplitPath(text).directory;
        start.fileName = text;
        return start;
    }
    // The name taken as a directory, then each directory above it: the first that exists;
    // the root when none does.
    // Not `= "/"`: g++ 12 at -O3 reports a false overlap (-Wrestrict) in that assignment.
    start.directory.assign(1, '/');
    fs::path p(text.back() == '/' ? text : text + "/");
    while (true) {
        fs::path parent = p.parent_path();
        if (parent.empty() || parent == p) break;
        if (IsDirectory(parent)) {
            start.directory = parent.string();
            break;
        }
        p = std::move(parent);
    }
    return start;
}

}  // namespace kelvrant
