#pragma once

class QTextStream;

// Offline work figures: a kept page shown offline against the same page
// loaded online from the local server, and what keeping pages adds to an
// online load. Prints its rows; returns 0 when every figure was measured.
int runOfflineBench(QTextStream &out);
