#pragma once
// An XCAF document for one file transfer, closed again when the transfer is done (the XCAF
// application keeps every open document alive otherwise) (internal to the host).
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_ColorTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_LayerTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

namespace corvex::cadhost::occt {

class XcafDocument {
public:
    XcafDocument() {
        XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document_);
    }
    ~XcafDocument() {
        try {
            XCAFApp_Application::GetApplication()->Close(document_);
        } catch (...) {
            // Nothing useful can be done about a document that will not close.
        }
    }
    XcafDocument(const XcafDocument&) = delete;
    XcafDocument& operator=(const XcafDocument&) = delete;

    Handle(TDocStd_Document) document() const { return document_; }
    Handle(XCAFDoc_ShapeTool) shapes() const { return XCAFDoc_DocumentTool::ShapeTool(document_->Main()); }
    Handle(XCAFDoc_ColorTool) colours() const { return XCAFDoc_DocumentTool::ColorTool(document_->Main()); }
    Handle(XCAFDoc_LayerTool) layers() const { return XCAFDoc_DocumentTool::LayerTool(document_->Main()); }

private:
    Handle(TDocStd_Document) document_;
};

}  // namespace corvex::cadhost::occt
