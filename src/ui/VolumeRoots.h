#pragma once

#include <optional>
#include <string>
#include <vector>

namespace corvane {

// The images of the tree, by index.
enum TreeImage {
    kOpenFolderImage = 0,
    kClosedFolderImage = 1,
    kChartFolderImage = 2,
    kDiscImage = 3,
    kHardDiskImage = 4
};

// A root of the directory tree: a mounted volume.
struct VolumeRoot {
    std::string path;  // the mount point, ending with "/"
    std::string text;  // "Local Disk (/)", ...
    int image = kHardDiskImage;

    bool operator==(const VolumeRoot&) const = default;
};

// Classifies a mounted volume the way the tree names drives. Nothing for
// pseudo file systems (proc, sysfs, cgroups, ...) and for mounts below
// /proc, /sys, /dev and /run that are not removable media.
std::optional<VolumeRoot> ClassifyVolume(const std::string& mountPoint,
                                         const std::string& fileSystem);

// The mounted volumes of this machine, "/" first.
std::vector<VolumeRoot> MountedVolumes();

// The root whose path is the longest leading part of `directory`, compared
// folder by folder; -1 when none is.
int RootOf(const std::vector<VolumeRoot>& roots, const std::string& directory);

}  // namespace corvane
