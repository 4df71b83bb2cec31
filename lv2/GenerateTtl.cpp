// Writes the LV2 bundle's description from the parameter table and the
// factory programs: manifest.ttl, sylvatone.ttl with every port, and one
// preset file per factory program.
//
//     sylvatone_lv2_ttl BUNDLE_DIR
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/FactoryPresets.h"
#include "lv2/Lv2Uris.h"
#include "lv2/Ports.h"

namespace {

const char* const kUri = lv2uris::kPlugin;

const char* const kPrefixes =
    "@prefix doap:   <http://usefulinc.com/ns/doap#> .\n"
    "@prefix lv2:    <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix pprops: <http://lv2plug.in/ns/ext/port-props#> .\n"
    "@prefix pset:   <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdf:    <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
    "@prefix rdfs:   <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state:  <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui:     <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix urid:   <http://lv2plug.in/ns/ext/urid#> .\n"
    "@prefix units:  <http://lv2plug.in/ns/extensions/units#> .\n\n";

// Numbers as Turtle decimals ("20.0", "-1.5"), so they read as floats.
std::string number(double v)
{
    char text[32];
    snprintf(text, sizeof text, "%.6g", v);
    std::string s = text;
    if (s.find_first_of(".e") == std::string::npos)
        s += ".0";
    return s;
}

// A table position's label: the text the window shows for it ("OFF",
// "443Hz", "3.28kHz").
std::string positionLabel(const lv2ports::ControlPort& p, int k)
{
    ParamState state;
    decodeParameter(state, p.param, static_cast<float>(k) / static_cast<float>(p.table.count - 1));
    char text[64] = {};
    parameterDisplay(state, p.param, text);
    return text;
}

std::string slug(const char* name)
{
    std::string s;
    for (const char* c = name; *c; ++c)
        if (isalnum(static_cast<unsigned char>(*c)))
            s += static_cast<char>(tolower(static_cast<unsigned char>(*c)));
        else if (!s.empty() && s.back() != '-')
            s += '-';
    return s;
}

std::string presetUri(int program)
{
    return std::string(kUri) + "#preset-" + slug(factoryPrograms()[program].name);
}

std::string presetFile(int program)
{
    return "preset-" + slug(factoryPrograms()[program].name) + ".ttl";
}

void audioPort(std::ostream& o, int index, bool input, const char* symbol, const char* name,
               bool optional)
{
    o << "    a lv2:AudioPort , " << (input ? "lv2:InputPort" : "lv2:OutputPort") << " ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << symbol << "\" ;\n"
      << "    lv2:name \"" << name << "\"";
    if (optional)
        o << " ;\n    lv2:portProperty lv2:connectionOptional";
}

void controlPort(std::ostream& o, int index, const lv2ports::ControlPort& p, float dflt)
{
    o << "    a lv2:ControlPort , lv2:InputPort ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << p.symbol << "\" ;\n"
      << "    lv2:name \"" << p.name << "\" ;\n"
      << "    lv2:default " << number(dflt) << " ;\n"
      << "    lv2:minimum " << number(p.minimum) << " ;\n"
      << "    lv2:maximum " << number(p.maximum);
    switch (p.style) {
    case lv2ports::Style::Toggle:
        o << " ;\n    lv2:portProperty lv2:toggled , lv2:integer";
        break;
    case lv2ports::Style::Channels:
        o << " ;\n    lv2:portProperty lv2:enumeration , lv2:integer ;\n"
          << "    lv2:scalePoint [ rdfs:label \"Left\" ; rdf:value 0.0 ] ,\n"
          << "        [ rdfs:label \"Stereo\" ; rdf:value 1.0 ] ,\n"
          << "        [ rdfs:label \"Right\" ; rdf:value 2.0 ]";
        break;
    case lv2ports::Style::Decibels:
        o << " ;\n    units:unit units:db ;\n    pprops:rangeSteps 61";
        break;
    case lv2ports::Style::Table:
        o << " ;\n    units:unit units:hz ;\n    lv2:portProperty lv2:enumeration ;\n"
          << "    lv2:scalePoint ";
        for (int k = 0; k < p.table.count; ++k)
            o << (k ? " ,\n        " : "") << "[ rdfs:label \"" << positionLabel(p, k)
              << "\" ; rdf:value " << number(p.table.values[k]) << " ]";
        break;
    }
}

std::string pluginTtl()
{
    int count = 0;
    const lv2ports::ControlPort* ports = lv2ports::controlPorts(&count);
    const ProgramRecord& defaults = factoryPrograms()[0];
    std::ostringstream o;
    o << kPrefixes << "<" << kUri << ">\n"
      << "    a lv2:Plugin , lv2:EQPlugin ;\n"
      << "    doap:name \"ZYM sylvatone - soft acoustic eq\" ;\n"
      << "    lv2:project <" << kUri << "#project> ;\n"
      << "    lv2:optionalFeature lv2:hardRTCapable , urid:map ;\n"
      << "    lv2:extensionData state:interface ;\n"
      << "    ui:ui <" << lv2uris::kUi << "> ;\n"
      << "    lv2:port [\n";
    audioPort(o, lv2ports::kInL, true, "in_l", "In L", false);
    o << "\n    ] , [\n";
    audioPort(o, lv2ports::kInR, true, "in_r", "In R", true);
    o << "\n    ] , [\n";
    audioPort(o, lv2ports::kOutL, false, "out_l", "Out L", false);
    o << "\n    ] , [\n";
    audioPort(o, lv2ports::kOutR, false, "out_r", "Out R", true);
    o << "\n    ] , [\n"
      << "    a lv2:ControlPort , lv2:OutputPort ;\n"
      << "    lv2:index " << lv2ports::kLatency << " ;\n"
      << "    lv2:symbol \"latency\" ;\n"
      << "    lv2:name \"Latency\" ;\n"
      << "    lv2:minimum 0.0 ;\n"
      << "    lv2:portProperty lv2:reportsLatency , lv2:integer ;\n"
      << "    units:unit units:frame";
    for (int c = 0; c < count; ++c) {
        o << "\n    ] , [\n";
        controlPort(o, lv2ports::kFirstControl + c, ports[c],
                    lv2ports::fromNormalised(ports[c], defaults.params[ports[c].param]));
    }
    o << "\n    ] .\n\n<" << kUri << "#project>\n    a doap:Project ;\n"
      << "    doap:name \"ZYM sylvatone\" .\n\n"
      << "<" << lv2uris::kUi << ">\n"
      << "    a ui:X11UI ;\n"
      << "    lv2:requiredFeature ui:idleInterface , <http://lv2plug.in/ns/ext/instance-access> , ui:parent ;\n"
      << "    lv2:optionalFeature ui:resize , ui:touch , ui:noUserResize ;\n"
      << "    lv2:extensionData ui:idleInterface .\n";
    return o.str();
}

std::string presetTtl(int program)
{
    int count = 0;
    const lv2ports::ControlPort* ports = lv2ports::controlPorts(&count);
    const ProgramRecord& p = factoryPrograms()[program];
    std::ostringstream o;
    o << kPrefixes << "<" << presetUri(program) << ">\n"
      << "    a pset:Preset ;\n"
      << "    lv2:appliesTo <" << kUri << "> ;\n"
      << "    rdfs:label \"" << p.name << "\" ;\n"
      << "    lv2:port ";
    for (int c = 0; c < count; ++c)
        o << (c ? " , " : "") << "[\n        lv2:symbol \"" << ports[c].symbol
          << "\" ;\n        pset:value " << number(lv2ports::fromNormalised(ports[c], p.params[ports[c].param]))
          << "\n    ]";
    o << " .\n";
    return o.str();
}

std::string manifestTtl()
{
    std::ostringstream o;
    o << kPrefixes << "<" << kUri << ">\n"
      << "    a lv2:Plugin ;\n"
      << "    lv2:binary <sylvatone.so> ;\n"
      << "    rdfs:seeAlso <sylvatone.ttl> .\n\n"
      << "<" << lv2uris::kUi << ">\n"
      << "    a ui:X11UI ;\n"
      << "    ui:binary <sylvatone.so> ;\n"
      << "    rdfs:seeAlso <sylvatone.ttl> .\n";
    for (int i = 0; i < kNumPrograms; ++i)
        o << "\n<" << presetUri(i) << ">\n"
          << "    a pset:Preset ;\n"
          << "    lv2:appliesTo <" << kUri << "> ;\n"
          << "    rdfs:seeAlso <" << presetFile(i) << "> .\n";
    return o.str();
}

bool write(const std::string& dir, const std::string& name, const std::string& text)
{
    std::ofstream f(dir + "/" + name, std::ios::binary);
    f << text;
    f.close();
    if (!f) {
        fprintf(stderr, "sylvatone_lv2_ttl: cannot write %s/%s\n", dir.c_str(), name.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: sylvatone_lv2_ttl BUNDLE_DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = write(dir, "manifest.ttl", manifestTtl()) && write(dir, "sylvatone.ttl", pluginTtl());
    for (int i = 0; ok && i < kNumPrograms; ++i)
        ok = write(dir, presetFile(i), presetTtl(i));
    return ok ? 0 : 1;
}
