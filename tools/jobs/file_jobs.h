// Several files in one command: `g722kit encode *.wav -o outdir/`. Each input gets its output
// (the name given, or a default one), and several inputs are converted by copies of this
// program running side by side, each the same command line told which one file to do.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace g722kit::tool {

// What the command line names: the files, -o, -f and -j.
struct FileArguments {
  std::vector<std::filesystem::path> files;
  std::optional<std::filesystem::path> output;  // -o
  bool force = false;                           // -f: replace outputs the tool named
  int jobs = 0;                                 // -j; 0: one per core
  std::optional<size_t> worker;                 // the one file a worker converts
};

// One input and its output.
struct PlannedFile {
  std::filesystem::path input;
  std::filesystem::path output;
  bool output_named = false;  // by the user; otherwise the tool made the name up
};

// The outputs of the files: with -o, a file for one input, else a folder (also for a name that
// ends in '/' or is a folder) in which each input's stem gets extension; without -o, IN OUT
// for two names (or a folder last), and the input's own folder for one. Makes a missing output
// folder. Throws a usage ToolError for names that cannot be told apart or would collide.
std::vector<PlannedFile> PlanFiles(const FileArguments& args, const std::string& extension);

// Refuses (kExitOutput) an output whose name the tool made up where a file exists, unless force
// (-f): the user did not name what would be lost.
void CheckMadeUpOutput(const std::filesystem::path& output, bool force);

// Runs convert on every planned file and returns the exit code: with one file (or as a worker)
// in this process; with several, each in a copy of this program started with argv (at most
// args.jobs at once), printing each one's output as it finishes and a summary ("3 files: 2
// encoded, 1 failed"), and returning the largest exit code of any file; a copy that a signal
// ends fails its file. An output the tool named that exists is not
// replaced without -f. verb: "encoded", "decoded".
using Conversion = std::function<void(const PlannedFile& file)>;
int RunPlannedFiles(const std::vector<PlannedFile>& files, const FileArguments& args,
                    const std::string& verb, char** argv, const Conversion& convert);

}  // namespace g722kit::tool
