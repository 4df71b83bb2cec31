#include "gui/CNewFileSelector.h"

#include <cstdint>
#include <cstdlib>

#include "gui/CAlertBox.h"
#include "gui/CFrame.h"
#include "gui/PortalFileChooser.h"

const char* const CNewFileSelector::kNoDialogMessage =
    "No file dialog is available.\nInstall zenity or kdialog.";

namespace {

bool hasExtension(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
}

}  // namespace

CNewFileSelector::CNewFileSelector(CFrame* frame, Style style) : frame(frame), style(style) {}

CNewFileSelector* CNewFileSelector::create(CFrame* frame, Style style)
{
    return new CNewFileSelector(frame, style);
}

CNewFileSelector::~CNewFileSelector()
{
    cancel();
}

void CNewFileSelector::setTitle(const char* t)
{
    title = t ? t : "";
}

void CNewFileSelector::setInitialDirectory(const char* path)
{
    initialDirectory = path ? path : "";
}

void CNewFileSelector::setDefaultSaveName(const char* name)
{
    defaultSaveName = name ? name : "";
}

void CNewFileSelector::setDefaultExtension(const CFileExtension& extension)
{
    defaultExtension = extension.getExtension();
    bool known = false;
    for (const CFileExtension& e : extensions)
        known = known || defaultExtension == e.getExtension();
    if (!known)
        extensions.insert(extensions.begin(), extension);
}

void CNewFileSelector::addFileExtension(const CFileExtension& extension)
{
    extensions.push_back(extension);
}

const char* CNewFileSelector::getSelectedFile(long index) const
{
    if (index < 0 || index >= getNumSelectedFiles())
        return nullptr;
    return selected[static_cast<size_t>(index)].c_str();
}

// Where the dialog starts: the initial folder, with the suggested name when
// saving.
std::string CNewFileSelector::startPath() const
{
    std::string start = initialDirectory;
    if (!start.empty() && start.back() != '/')
        start += '/';
    if (style == kSelectSaveFile)
        start += defaultSaveName;
    return start;
}

std::vector<std::string> CNewFileSelector::zenityArguments() const
{
    // Every value is joined to its option with '=', so none can be read as
    // an option, whatever it starts with.
    std::vector<std::string> args{"zenity", "--file-selection"};
    if (style == kSelectSaveFile)
        args.insert(args.end(), {"--save", "--confirm-overwrite"});
    else if (allowMultiFileSelection)
        args.insert(args.end(), {"--multiple", "--separator=\n"});
    if (!title.empty())
        args.push_back("--title=" + title);
    const std::string start = startPath();
    if (!start.empty())
        args.push_back("--filename=" + start);
    for (const CFileExtension& e : extensions)
        args.push_back(std::string("--file-filter=") + e.getDescription() + " | *." + e.getExtension());
    if (!extensions.empty())
        args.push_back("--file-filter=All files | *");
    return args;
}

std::vector<std::string> CNewFileSelector::kdialogArguments() const
{
    std::vector<std::string> args{"kdialog"};
    if (!title.empty())
        args.push_back("--title=" + title);
    args.push_back(style == kSelectSaveFile ? "--getsavefilename" : "--getopenfilename");
    if (style != kSelectSaveFile && allowMultiFileSelection)
        args.insert(args.end(), {"--multiple", "--separate-output"});
    // The start and the filter are positional, after "--" which ends the
    // options; the filter needs a start before it.
    std::string start = startPath();
    if (start.empty())
        start = ".";
    std::string filter;
    for (const CFileExtension& e : extensions)
        filter += std::string("*.") + e.getExtension() + "|" + e.getDescription() + "\n";
    if (!filter.empty())
        filter += "*|All files";
    args.insert(args.end(), {"--", start});
    if (!filter.empty())
        args.push_back(filter);
    return args;
}

// The files in what zenity or kdialog printed: one path and a newline, or
// one path a line when several may be chosen. A single path is everything
// before the last newline, so a name with a newline in it stays whole.
std::vector<std::string> CNewFileSelector::helperAnswer() const
{
    std::string out = helper.output();
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    std::vector<std::string> paths;
    if (style != kSelectSaveFile && allowMultiFileSelection) {
        size_t start = 0;
        while (start <= out.size()) {
            size_t end = out.find('\n', start);
            if (end == std::string::npos)
                end = out.size();
            paths.push_back(out.substr(start, end - start));
            start = end + 1;
        }
    } else {
        paths.push_back(out);
    }
    return paths;
}

bool CNewFileSelector::run(Done callback)
{
    if (isRunning())
        return false;
    done = std::move(callback);
    selected.clear();
    shown = Shown::Portal;
    stage = Stage::Portal;
    FileDialogRequest request;
    request.save = style == kSelectSaveFile;
    request.multiple = allowMultiFileSelection;
    request.title = title;
    request.folder = initialDirectory;
    request.name = defaultSaveName;
    for (const CFileExtension& e : extensions)
        request.filters.emplace_back(e.getDescription(), e.getExtension());
    if (frame)
        request.parentWindow = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(frame->getSystemWindow()));
    if (!portal)
        portal = std::make_unique<PortalFileChooser>();
    if (!portal->start(request))
        startHelper();
    return true;
}

void CNewFileSelector::startHelper()
{
    if (helper.start(zenityArguments())) {
        shown = Shown::Zenity;
        stage = Stage::Helper;
    } else if (helper.start(kdialogArguments())) {
        shown = Shown::KDialog;
        stage = Stage::Helper;
    } else {
        shown = Shown::Message;
        stage = Stage::NoDialog;
        CAlertBox::show(frame, kNoDialogMessage);
    }
}

bool CNewFileSelector::poll()
{
    switch (stage) {
    case Stage::Idle:
        return false;
    case Stage::Portal:
        switch (portal->poll()) {
        case PortalFileChooser::State::Answered:
            finish(portal->chosen());
            return false;
        case PortalFileChooser::State::Unavailable:
            startHelper();
            return true;
        default:
            return true;
        }
    case Stage::Helper:
        if (helper.poll())
            return true;
        // Cancelled, failed or killed: nothing chosen.
        finish(helper.succeeded() ? helperAnswer() : std::vector<std::string>());
        return false;
    case Stage::NoDialog:
        finish({});
        return false;
    }
    return false;
}

void CNewFileSelector::finish(std::vector<std::string> chosen)
{
    helper.stop();
    stage = Stage::Idle;
    selected.clear();
    for (std::string& path : chosen) {
        // A dialog answers with absolute paths; anything else is not a file
        // the user chose.
        if (path.empty() || path[0] != '/')
            continue;
        if (style == kSelectSaveFile && !defaultExtension.empty() && !hasExtension(path))
            path += "." + defaultExtension;
        selected.push_back(path);
    }
    if (!allowMultiFileSelection && selected.size() > 1)
        selected.resize(1);
    Done callback = std::move(done);
    done = nullptr;
    if (!callback)
        return;
    // The callback may release this selector: it goes only afterwards.
    const std::vector<std::string> files = selected;
    remember();
    callback(files);
    forget();
}

void CNewFileSelector::cancel()
{
    if (portal)
        portal->cancel();
    helper.stop();
    stage = Stage::Idle;
    done = nullptr;
}
