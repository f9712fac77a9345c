#pragma once

// The COM ports tools/windows/test-wine prepares before it runs the Windows tests under Wine:
// controller simulators on pseudo-terminals, mapped to COM numbers through Wine's dosdevices
// folder, and named to the tests in the environment.
#include <QString>

namespace TestPorts {

// The value of the environment variable; ends the test program when it is not set,
// as the test then runs outside its driver.
QString fromEnvironment(const char *variable);

// The simulator answering as the controller does; it saves each program it receives.
inline QString controller()
{
    return fromEnvironment("KLV_COM_CONTROLLER");
}
// A simulator that never answers.
inline QString silent()
{
    return fromEnvironment("KLV_COM_SILENT");
}
// A simulator that greets, then answers no frame.
inline QString noReply()
{
    return fromEnvironment("KLV_COM_NOREPLY");
}
// A simulator that refuses the first ten frames of each download.
inline QString refusing()
{
    return fromEnvironment("KLV_COM_REFUSING");
}
// A simulator that greets, then ends at once: to the tool, the device is gone.
inline QString vanishing()
{
    return fromEnvironment("KLV_COM_VANISHING");
}
// A simulator that never answers and takes bytes only at 9600 baud, ten bits a byte.
inline QString slow()
{
    return fromEnvironment("KLV_COM_SLOW");
}
// A port above COM30 that the test driver registers as Windows registers an adapter's, with
// the controller simulator behind it.
inline QString listed()
{
    return fromEnvironment("KLV_COM_LISTED");
}
// Where that simulator saves the program it received (a Windows path).
inline QString receivedThroughListed()
{
    return fromEnvironment("KLV_RECEIVED_LISTED");
}
// A COM port that does not exist.
inline QString absent()
{
    return fromEnvironment("KLV_COM_ABSENT");
}
// Where the controller simulator saves the program it received (a Windows path).
inline QString receivedProgram()
{
    return fromEnvironment("KLV_RECEIVED_PROGRAM");
}

} // namespace TestPorts
