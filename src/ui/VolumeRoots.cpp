#include "VolumeRoots.h"

#include <QStorageInfo>

#include <algorithm>
#include <set>

namespace corvane {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string WithSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace

std::optional<VolumeRoot> ClassifyVolume(const std::string& mountPoint,
                                         const std::string& fileSystem) {
    static const std::set<std::string> pseudo = {
        "proc",       "sysfs",      "devtmpfs",  "devpts",          "cgroup",     "cgroup2",
        "securityfs", "debugfs",    "tracefs",   "pstore",          "bpf",        "mqueue",
        "hugetlbfs",  "configfs",   "fusectl",   "binfmt_misc",     "autofs",     "nsfs",
        "efivarfs",   "rpc_pipefs", "selinuxfs", "fuse.gvfsd-fuse", "fuse.portal"};
    static const std::set<std::string> network = {"nfs",  "nfs4",       "cifs", "smbfs",
                                                  "smb3", "fuse.sshfs", "9p"};
    if (mountPoint.empty() || pseudo.count(fileSystem) != 0) return {};
    const bool removable =
        StartsWith(mountPoint, "/media/") || StartsWith(mountPoint, "/run/media/");
    for (const char* hidden : {"/proc", "/sys", "/dev", "/run"})
        if (!removable &&
            (mountPoint == hidden || StartsWith(mountPoint, std::string(hidden) + "/")))
            return {};

    VolumeRoot root;
    root.path = WithSeparator(mountPoint);
    const std::string drive = mountPoint.size() > 1 && mountPoint.back() == '/'
                                  ? mountPoint.substr(0, mountPoint.size() - 1)
                                  : mountPoint;
    if (fileSystem == "iso9660" || fileSystem == "udf") {
        root.text = "CD/DVD Drive (" + drive + ")";
        root.image = kDiscImage;
    } else if (fileSystem == "tmpfs" || fileSystem == "ramfs") {
        root.text = "RAM Disk (" + drive + ")";
        root.image = kDiscImage;
    } else if (removable) {
        root.text = "Floppy Drive (" + drive + ")";
    } else if (network.count(fileSystem) != 0) {
        root.text = "Unknown Drive (" + drive + ")";
    } else {
        root.text = "Local Disk (" + drive + ")";
    }
    return root;
}

std::vector<VolumeRoot> MountedVolumes() {
    std::vector<VolumeRoot> roots;
    std::set<std::string> seen;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) continue;
        const std::string mountPoint = volume.rootPath().toStdString();
        auto root = ClassifyVolume(mountPoint, volume.fileSystemType().toStdString());
        // The root of the file system is a disk whatever backs it (overlay
        // in a container, for one).
        if (mountPoint == "/") root = VolumeRoot{"/", "Local Disk (/)", kHardDiskImage};
        if (root && seen.insert(root->path).second) roots.push_back(*root);
    }
    if (seen.count("/") == 0) roots.push_back(VolumeRoot{"/", "Local Disk (/)", kHardDiskImage});
    std::stable_partition(roots.begin(), roots.end(),
                          [](const VolumeRoot& root) { return root.path == "/"; });
    return roots;
}

int RootOf(const std::vector<VolumeRoot>& roots, const std::string& directory) {
    const std::string folder = WithSeparator(directory);
    int best = -1;
    for (std::size_t i = 0; i < roots.size(); ++i) {
        const std::string& path = roots[i].path;
        if (StartsWith(folder, path) &&
            (best < 0 || path.size() > roots[static_cast<std::size_t>(best)].path.size()))
            best = static_cast<int>(i);
    }
    return best;
}

}  // namespace corvane
