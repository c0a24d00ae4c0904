#!/usr/bin/env python3
"""Reference values of the worked example's load response, computed apart from the program.

The lake of the worked example (10 km2 of watershed, 1 km2 of lake 5 m deep, NLF calibration,
TP 30 ug/L, chlorophyll a 10 ug/L, Secchi depth 2 m) is worked here with Python's decimal
arithmetic at 60 digits, with the inputs rounded as the model stores them (40 significant
bits) and the cut that meets a target found as the exact root of the model's equations by
bisection in decimal arithmetic. tests/test_load_response.cpp compares the program's answers
with the numbers printed here.

    python3 tools/load_response_reference.py
"""
from decimal import Decimal, getcontext
from fractions import Fraction
import math

getcontext().prec = 60


def stored(text):
    """The value of a typed number as the model keeps it: 40 significant bits, halves away from zero."""
    x = Fraction(Decimal(text))
    if x == 0:
        return Decimal(0)
    e = math.floor(math.log2(abs(x)))
    while abs(x) >= Fraction(2) ** (e + 1):
        e += 1
    while abs(x) < Fraction(2) ** e:
        e -= 1
    scaled = abs(x) / Fraction(2) ** (e - 39)
    m = math.floor(scaled + Fraction(1, 2))
    value = Fraction(m) * Fraction(2) ** (e - 39)
    return Decimal(value.numerator) / Decimal(value.denominator) * (1 if x > 0 else -1)


W, S, D = stored("10"), stored("1"), stored("5")
stream_p, precip, evap, runoff, atmos = stored("52"), stored("0.74"), stored("0.61"), stored("0.23"), stored("15")
V1, V2, V3, V4 = stored("0.01"), stored("0.202"), stored("0.04"), stored("0.126")
obs_tp = stored("30")

out_vol = W * runoff + S * (precip - evap)
res_time = S * D / out_vol
watershed = W * runoff * stream_p
atmospheric = S * atmos


def pred_tp(inflow):
    return inflow / (1 + Decimal("0.162") * (inflow.ln() * Decimal("0.458")).exp()
                     * (res_time.ln() * Decimal("0.542")).exp())


def pred_chla(tp):
    return Decimal("0.0661") * (tp.ln() * Decimal("1.46")).exp()


def inflow_at(r):
    return (atmospheric + (1 - r) * watershed) / out_vol


def root(f, low, high, steps=200):
    """The r in [low, high] where f changes sign, f(low) > 0 >= f(high)."""
    for _ in range(steps):
        middle = (low + high) / 2
        if f(middle) > 0:
            low = middle
        else:
            high = middle
    return high


now = pred_tp(inflow_at(Decimal(0)))


def anchored_tp(r):
    return obs_tp * pred_tp(inflow_at(r)) / now


nlf_goal = ((Decimal(52) - Decimal("4.15")) / Decimal("14.42")).exp()
r_ecoregion = root(lambda r: anchored_tp(r) - nlf_goal, Decimal(0), Decimal(1))
r_chla = root(lambda r: pred_chla(pred_tp(inflow_at(r))) - 5, Decimal(0), Decimal(1))

# Inflow phosphorus whose prediction is the observed TP, then the stream phosphorus that gives it.
inflow_needed = root(lambda a: obs_tp - pred_tp(a), obs_tp, 100 * obs_tp)
implied_stream_p = (inflow_needed * out_vol - atmospheric) / (W * runoff)

print(f"ecoregion goal, ug/L           {nlf_goal:.15e}")
print(f"ecoregion, anchored: cut %     {100 * r_ecoregion:.15e}")
print(f"  allowable load, kg/yr        {atmospheric + (1 - r_ecoregion) * watershed:.15e}")
print(f"chla=5, model: cut %           {100 * r_chla:.15e}")
print(f"  allowable load, kg/yr        {atmospheric + (1 - r_chla) * watershed:.15e}")
print(f"anchored TP at a 50 % cut      {anchored_tp(Decimal('0.5')):.15e}")
print(f"implied stream P, ug/L         {implied_stream_p:.15e}")
