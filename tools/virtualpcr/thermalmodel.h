#ifndef THERMALMODEL_H
#define THERMALMODEL_H

#include <optional>

// Temperatures of a virtual machine: the block (Peltier element, heating at
// a fixed rate and cooling at the rates of the cooling-rate table), the
// heated lid, and the sample in the tubes, which lags the block. Without a
// target, or without mains power, everything drifts back to the ambient
// temperature.
class ThermalModel
{
public:
    static constexpr float AmbientC = 25.0f;
    static constexpr float BlockHeatingRate = 3.0f; // degrees per second
    static constexpr float LidHeatingRate = 0.5f;
    static constexpr float LidCoolingRate = 0.1f;
    static constexpr float PassiveDriftRate = 0.05f; // block without power or target
    static constexpr double SampleLagSeconds = 4.0;

    float blockTemp() const;
    float lidTemp() const;
    float sampleTemp() const;

    // No value switches the heater off.
    void setBlockTarget(std::optional<float> target);
    void setLidTarget(std::optional<float> target);
    std::optional<float> blockTarget() const;

    void advance(double seconds, bool powered);

    // Cooling rate of the block at a temperature, from the cooling-rate table.
    static float blockCoolingRate(float temp);
    // Seconds the block needs at full power from one temperature to another.
    static double blockTransitSeconds(float from, float to);
    static double lidHeatingSeconds(float from, float to);

private:
    float m_block = AmbientC;
    float m_lid = AmbientC;
    float m_sample = AmbientC;
    std::optional<float> m_blockTarget;
    std::optional<float> m_lidTarget;
};

#endif // THERMALMODEL_H
