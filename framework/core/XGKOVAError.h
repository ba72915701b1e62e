/// Base of every framework error: a standard exception that carries its own message.
#ifndef KOVA_FRAMEWORK_CORE_XGKOVAERROR_H
#define KOVA_FRAMEWORK_CORE_XGKOVAERROR_H

#include <exception>
#include <string>

namespace kova {

class XGKOVAError : public std::exception {
public:
    /// Copies the message (which must not be null).
    explicit XGKOVAError(const char* message);
    ~XGKOVAError() override;

    const char* what() const noexcept override;

private:
    std::string fMessage;
};

} // namespace kova

#endif
