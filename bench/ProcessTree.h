#pragma once

#include <QList>

namespace velmora::bench {

// A process and all its descendants, read from /proc.
QList<int> processTree(int root);
// Proportional set size of the tree in MB, so shared pages count once.
double treeMemoryMB(int root);
// Processor time (user and system) spent by the living processes of the tree, in seconds.
double treeCpuSeconds(int root);

} // namespace velmora::bench
