// One time step of a gas flare: the streams that leave the flare tip are mixed,
// their stoichiometry, heating value, exit velocity and combustion efficiency
// worked out, and from these the emission of the modelled pollutant and the
// pseudo-stack (effective height, diameter, exit velocity and temperature,
// buoyancy and momentum fluxes, flame reach) that the dispersion models receive.
#pragma once
#include "run/run.hpp"
#include "physics/run_types.hpp"

namespace quelmar::physics {

// The flare step. Inputs: the debug-log unit IUNIT (written only while
// run.stdc.LOGON is 1), the raw gas MIX of the step and its flow Q (10^3 m3/d
// at 288.15 K and 101.325 kPa), the step's fuel-gas ratio FGR (volumes of fuel
// gas per volume of raw gas), the step's gas volume QVOL (10^3 m3, not used),
// the wind speed UREF (m/s, measured at run.inp.ZREF) and the stability class
// IPG of the hour; run.stdc.TGAS and run.stdc.TAMBH hold the gas and ambient
// temperature of the step.
//
// Results: the fields of run.comb (FLARE_RESULT). What the step forms from the
// gas compositions alone it keeps in run.gas for the steps that follow with
// the same compositions; the results are those of a step formed afresh. The step also writes to the
// run configuration: QLIFTGAS := 0 without lift gas, STM_FLOW := 0 and
// HPFUEL_FLOW := 0 when their assist is off, and MFASSISTAIR := 1 when steam or
// high-pressure fuel assist is on. With MSTRIP 0 it reports on the console when
// the pseudo-stack does not reproduce the step's fluxes.
//
// Steps without a physical flare:
// - no raw-gas flow (Q not above 0) or nothing combustible in the flared gas:
//   a still, bare stack (height HS, diameter DF, ambient temperature, exit
//   velocity UEMIN, no fluxes, no flame, emission 0);
// - a mixing temperature outside 200..3000 K is taken at the nearer end;
// - a stream without a composition (lift or fuel gas through their own nozzle,
//   high-pressure assist fuel) has no mass: no momentum and no entrained air.
// A step whose inputs have no physical answer (an absolute temperature or the
// site pressure not above 0, a negative flow or fuel-gas ratio, a gas without
// a speed of sound) stops the run with a console record naming the quantity;
// no field of run.comb is ever left NaN or infinite.
void EMISSIONS(run::Run& run, int IUNIT, const MIX& MIX, double Q, double FGR, double QVOL, double UREF,
               int IPG);

}  // namespace quelmar::physics
