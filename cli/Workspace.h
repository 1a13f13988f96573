// A statement run without windows, for the import, which posts into the
// lists of a statement with working files: a private program directory,
// removed with everything in it when the run ends (or is interrupted).
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/Date.h"
#include "statement/Statement.h"
#include "statement/UserInterface.h"

namespace epinax::cli {

class Workspace {
public:
    // The directory is made in $TMPDIR (/tmp when unset) and named with the
    // process id; directories of the same kind whose process is gone are
    // removed first. Throws CliError (bad usage) naming the directory when
    // none can be made.
    explicit Workspace(TClock today);
    ~Workspace();
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    TStatement& Statement() { return *statement_; }
    // A path inside the private directory, for files the run itself writes.
    std::string File(const std::string& name) const { return directory_ + name; }
    // Writes a file of the run's own into the private directory and returns
    // its path; a failure is the working space's (see Failed).
    std::string Write(const std::string& name, std::string_view bytes);
    // Throws CliError (bad usage) naming the temporary directory: the tool's
    // own working space failed, not the user's input.
    [[noreturn]] void Failed() const;

private:
    // What the statement reports while it works has no one to see it; what
    // it tells, it returns.
    class SilentUi : public IUserInterface {
    public:
        void ShowHourglass() override {}
        void BeginLongWork() override {}
        void EndLongWork() override {}
    };

    std::string directory_;  // ends with a separator
    SilentUi ui_;
    std::unique_ptr<TStatement> statement_;
};

// From here on SIGINT and SIGTERM remove the private directory of the
// running workspace before the process ends as the signal would end it.
void RemoveWorkspaceOnSignals();

}  // namespace epinax::cli
