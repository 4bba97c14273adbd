#include "jobs/file_jobs.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <thread>

#include "io/output_file.h"
#include "jobs/worker_process.h"
#include "messages/report.h"
#include "messages/tool_error.h"
#include "messages/wording.h"

namespace g722kit::tool {

namespace fs = std::filesystem;

namespace {

bool IsFolderName(const fs::path& name) {
  std::error_code error;
  return !name.has_filename() || fs::is_directory(name, error);
}

// The output name the tool gives input: its name with extension, in folder.
fs::path MadeUpName(const fs::path& input, const fs::path& folder, const std::string& extension) {
  if (input == "-") throw ToolError(kExitUsage, "standard input has no name to give its output");
  return folder / fs::path(input.filename()).replace_extension(extension);
}

// Two inputs of one stem would overwrite each other's output.
void CheckCollisions(const std::vector<PlannedFile>& planned) {
  std::map<fs::path, const fs::path*> inputs_by_output;
  for (const PlannedFile& file : planned) {
    const auto [found, added] =
        inputs_by_output.emplace(file.output.lexically_normal(), &file.input);
    if (!added) {
      throw ToolError(kExitUsage, "'" + found->second->string() + "' and '" + file.input.string() +
                                      "' would both be written to '" + file.output.string() + "'");
    }
  }
}

std::vector<PlannedFile> IntoFolder(const std::vector<fs::path>& inputs, const fs::path& folder,
                                    const std::string& extension) {
  std::vector<PlannedFile> planned;
  for (const fs::path& input : inputs) {
    planned.push_back({input, MadeUpName(input, folder, extension), false});
  }
  CheckCollisions(planned);
  MakeFolder(folder);
  return planned;
}

// One file in this process.
void RunOne(const PlannedFile& file, const FileArguments& args, const Conversion& convert) {
  if (!file.output_named) CheckMadeUpOutput(file.output, args.force);
  convert(file);
}

}  // namespace

void CheckMadeUpOutput(const fs::path& output, bool force) {
  std::error_code error;
  if (!force && fs::exists(fs::symlink_status(output, error))) {
    throw FileError(kExitOutput, "not replacing", output, "it exists (-f replaces it)");
  }
}

std::vector<PlannedFile> PlanFiles(const FileArguments& args, const std::string& extension) {
  const std::vector<fs::path>& files = args.files;
  std::vector<PlannedFile> planned;
  if (args.output) {
    if (files.size() == 1 && !IsFolderName(*args.output)) return {{files[0], *args.output, true}};
    planned = IntoFolder(files, *args.output, extension);
  } else if (files.size() == 1) {
    planned = {{files[0], MadeUpName(files[0], files[0].parent_path(), extension), false}};
  } else if (IsFolderName(files.back())) {
    planned = IntoFolder({files.begin(), files.end() - 1}, files.back(), extension);
  } else if (files.size() == 2) {
    return {{files[0], files[1], true}};
  } else {
    throw ToolError(kExitUsage, std::to_string(files.size()) +
                                    " files and no output folder: name one with -o DIR, or give "
                                    "IN OUT for one file");
  }
  CheckCollisions(planned);
  return planned;
}

int RunPlannedFiles(const std::vector<PlannedFile>& files, const FileArguments& args,
                    const std::string& verb, char** argv, const Conversion& convert) {
  if (args.worker) {
    if (*args.worker >= files.size()) throw ToolError(kExitUsage, "no such file in the batch");
    RunOne(files[*args.worker], args, convert);
    return kExitOk;
  }
  if (files.size() == 1) {
    RunOne(files[0], args, convert);
    return kExitOk;
  }
  const int parallel = args.jobs > 0
                           ? args.jobs
                           : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  size_t failed = 0;
  int worst = kExitOk;
  RunWorkers(argv, files.size(), parallel, [&](size_t index, const WorkerResult& result) {
    std::fputs(result.out.c_str(), stdout);
    std::fflush(stdout);
    std::fputs(result.err.c_str(), stderr);
    if (result.signal != 0) {
      std::fprintf(stderr,
                   "g722kit: cannot convert '%s': its worker process ended by signal %d (%s)\n",
                   files[index].input.c_str(), result.signal, strsignal(result.signal));
    }
    if (result.exit_code != kExitOk) failed++;
    worst = std::max(worst, result.exit_code);
  });
  if (!Quiet()) {
    std::printf("%s: %zu %s, %zu failed\n", Counted(files.size(), "file").c_str(),
                files.size() - failed, verb.c_str(), failed);
  }
  return worst;
}

}  // namespace g722kit::tool
