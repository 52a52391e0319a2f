#include "export/LayerFields.h"

bool CreateFields(OGRLayer& layer, const FieldList& fields, GdalErrors& gdal, const std::string& path,
                  std::vector<int>& at, ExportError& error)
{
    at.clear();
    for (const auto& [name, type] : fields) {
        OGRFieldDefn field(name.c_str(), type);
        gdal.Watch();
        if (layer.CreateField(&field) != OGRERR_NONE) {
            error = gdal.Failed("cannot add the field " + name + " to " + path, ExportProblem::CannotWrite, path);
            return false;
        }
        const int index = layer.GetLayerDefn()->GetFieldIndex(name.c_str());
        at.push_back(index >= 0 ? index : layer.GetLayerDefn()->GetFieldCount() - 1);
    }
    return true;
}
