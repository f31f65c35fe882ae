// The links between the instruments: what the scope window asks of the
// generator, the recorder and the Bode plotter, filled in before the first
// window is made.
#pragma once

void LinkInstruments();
