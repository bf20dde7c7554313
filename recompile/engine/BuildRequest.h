#pragma once
// One compile request: the user's choices, facts gathered at start-up, and the
// values the driver derives before anything runs. Texts are UTF-8.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace vdx {

enum class TaskKind { Language, Tee, Ibx, Fib, All, None };

// The script section that a task runs ("language", "tee", "ibx", "fib", "all"; "" for None).
std::string_view SectionName(TaskKind task);

struct BuildRequest {
    // Start-up facts.
    std::string InstallDir;                      // always ends in a path separator
    std::vector<std::string> InstalledCompilers; // "delphi16=C:\RS", 20 entries in row order
    std::string SystemDir;
    std::string UserDocumentsDir;
    std::string CommonDocumentsDir;

    // The user's choices.
    int CompilerIndex = -1; // row of CompilerList, -1 when none is selected
    bool Platform64 = false;
    std::string Edition;   // "Copper", "Silver", "Gold", "Partner Edition" or empty
    std::string Language;  // a folder name under Res, or empty
    std::string TeeChoice; // a TeeChart entry as listed, or empty
    bool WithDebug = false;
    bool WithBde = false;
    bool WithFireDac = false;
    std::string TeePath;
    bool TeePathEnabled = false;
    std::string FibPath;
    std::string IndyPath;
    bool IndyPathEnabled = false;
    TaskKind Task = TaskKind::None;
    bool WindowVisible = false;

    // Derived by CompleteRequest.
    std::string Ver;
    std::string VerC;
    std::string LibDir;
    std::string TeeName;
    std::string TeeVariant;
};

struct CompilerInfo {
    std::string_view EntryText; // as the compiler list shows it
    int Ver;                    // package version number
};

inline constexpr int CompilerCount = 20;
extern const std::array<CompilerInfo, CompilerCount> CompilerList;

// The twelve TeeChart entries, in list order.
inline constexpr int TeeChoiceCount = 12;
extern const std::array<std::string_view, TeeChoiceCount> TeeChoices;

// TeeName and TeeVariant from a TeeChart entry.
void SplitTeeChoice(std::string_view choice, std::string& teeName, std::string& teeVariant);

// Fills Ver, VerC, LibDir, TeeName and TeeVariant. Requires 0 <= CompilerIndex < 20.
void CompleteRequest(BuildRequest& request);

// Value of the entry `name` ("delphi16", any letter case) in a name=value list;
// empty when there is none.
std::string LookupCompilerRoot(const std::vector<std::string>& installed, std::string_view name);

} // namespace vdx
