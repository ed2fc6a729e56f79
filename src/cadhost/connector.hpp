#pragma once
// How corvex finds its CAD host: attach to a running one, or launch a new one, by the
// programmatic identifier the host registers ("AutoCAD.Application").
#include <memory>
#include <string>

#include "cadhost/model.hpp"

namespace corvex::cadhost {

class Connector {
public:
    virtual ~Connector() = default;
    // The running application registered under `progId`; fails when none runs.
    virtual std::shared_ptr<Application> attach(const std::string& progId) = 0;
    // A new application of `progId`; fails when it cannot be started.
    virtual std::shared_ptr<Application> launch(const std::string& progId) = 0;
};

// The one place where corvex talks to a person: a modal message box with an OK button.
class UserInterface {
public:
    virtual ~UserInterface() = default;
    virtual void messageBox(const std::string& text) = 0;
};

}  // namespace corvex::cadhost
