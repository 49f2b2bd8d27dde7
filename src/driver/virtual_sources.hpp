// The AERMOD path's hourly store turned into virtual sources: the heap sort of
// the hours by effective release height and the cutting of the sorted hours
// into NSOURCES groups of neighbouring heights, each described by the mean
// parameters of its hours.
#pragma once
#include "run/run.hpp"
#include "io/array1.hpp"

namespace quelmar::driver {

// Heap sort of RA(1..N) into ascending order, applying every move to IB(1..N)
// as well; RA[0] holds position 1. Not stable: equal keys come out in the order
// the heap leaves them (N equal keys carrying 1..N come out carrying 2..N, 1).
// Fewer than two values are already in order and are left alone.
void HSORTRL(int N, double* RA, int* IB);
// The same on the store's arrays; N is held to the arrays' capacity.
void HSORTRL(int N, io::Vec1<double>& RA, io::Vec1<int>& IB);

// The same sort carrying four more double arrays RB..RE through every move.
// Not used by the run; the loop sorts with HSORTRL; kept with it.
void HSORT5RL(int N, double* RA, double* RB, double* RC, double* RD, double* RE, int* IB);

// Groups the NVS sorted hours (order INDX) into NSOURCES virtual sources:
// hour counts IVSNS, mean exit temperature VSTS, velocity VSUS, diameter VSDS
// and position VSX, VSY, lowest height VSHS (1.0E30 for a group without hours),
// and the group IVS of every hour. Writes one "VS" record per group with hours
// to the debug log while it is open. Stops the run when NSOURCES is outside
// 1 to 32.
void group_virtual_sources(run::Run& run);

}  // namespace quelmar::driver
