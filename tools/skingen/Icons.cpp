#include "Icons.h"

#include <QPainterPath>
#include <cmath>

namespace {

QPainterPath ShieldPath(const QRectF& r) {
  QPainterPath path;
  const double w = r.width();
  const double h = r.height();
  path.moveTo(r.left() + w * 0.5, r.top());
  path.cubicTo(r.left() + w * 0.68, r.top() + h * 0.1, r.left() + w * 0.85, r.top() + h * 0.12, r.right(),
               r.top() + h * 0.12);
  path.cubicTo(r.right(), r.top() + h * 0.55, r.left() + w * 0.8, r.top() + h * 0.82, r.left() + w * 0.5,
               r.bottom());
  path.cubicTo(r.left() + w * 0.2, r.top() + h * 0.82, r.left(), r.top() + h * 0.55, r.left(),
               r.top() + h * 0.12);
  path.cubicTo(r.left() + w * 0.15, r.top() + h * 0.12, r.left() + w * 0.32, r.top() + h * 0.1,
               r.left() + w * 0.5, r.top());
  path.closeSubpath();
  return path;
}

QPen Pen(const QColor& colour, double width) {
  QPen pen(colour, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void Tick(QPainter& p, const QRectF& r, const QColor& c, double width) {
  p.setPen(Pen(c, width));
  p.setBrush(Qt::NoBrush);
  QPainterPath path;
  path.moveTo(r.left() + r.width() * 0.28, r.top() + r.height() * 0.5);
  path.lineTo(r.left() + r.width() * 0.45, r.top() + r.height() * 0.66);
  path.lineTo(r.left() + r.width() * 0.74, r.top() + r.height() * 0.34);
  p.drawPath(path);
}

void Shield(QPainter& p, const QRectF& r, const QColor& main, const QColor& detail) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, main.lighter(112));
  g.setColorAt(1, main.darker(108));
  p.setPen(Pen(detail.alpha() ? main.darker(130) : main, std::max(1.0, r.width() / 28)));
  p.setBrush(g);
  p.drawPath(ShieldPath(r));
  // A lit left half gives the shield some depth.
  QPainterPath half =
      ShieldPath(r.adjusted(r.width() * 0.1, r.height() * 0.08, -r.width() * 0.5, -r.height() * 0.12));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 255, 255, 40));
  p.drawPath(half);
}

}  // namespace

void PaintIcon(QPainter& p, Icon icon, const QRectF& box, const QColor& main, const QColor& detail) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF r = box;
  const double s = r.width();
  const double stroke = std::max(1.2, s / 12);
  switch (icon) {
    case Icon::Shield:
      Shield(p, r, main, detail);
      Tick(p, r.adjusted(0, -s * 0.02, 0, -s * 0.02), detail, stroke * 1.2);
      break;
    case Icon::Defense: {
      Shield(p, r, main, detail);
      QPainterPath bolt;
      bolt.moveTo(r.left() + s * 0.56, r.top() + s * 0.2);
      bolt.lineTo(r.left() + s * 0.34, r.top() + s * 0.54);
      bolt.lineTo(r.left() + s * 0.5, r.top() + s * 0.54);
      bolt.lineTo(r.left() + s * 0.42, r.top() + s * 0.82);
      bolt.lineTo(r.left() + s * 0.68, r.top() + s * 0.44);
      bolt.lineTo(r.left() + s * 0.52, r.top() + s * 0.44);
      bolt.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(detail);
      p.drawPath(bolt);
      break;
    }
    case Icon::Report: {
      const QRectF page(r.left() + s * 0.14, r.top() + s * 0.04, s * 0.6, s * 0.8);
      p.setPen(Pen(main.darker(125), stroke * 0.7));
      p.setBrush(main);
      p.drawRoundedRect(page, s * 0.06, s * 0.06);
      p.setPen(Pen(detail, stroke * 0.8));
      for (int i = 0; i < 3; ++i) {
        const double y = page.top() + s * (0.18 + 0.14 * i);
        p.drawLine(QPointF(page.left() + s * 0.1, y), QPointF(page.right() - s * 0.12, y));
      }
      const QPointF c(r.left() + s * 0.62, r.top() + s * 0.62);
      p.setPen(Pen(detail, stroke * 1.1));
      p.setBrush(main.lighter(105));
      p.drawEllipse(c, s * 0.17, s * 0.17);
      p.drawLine(c + QPointF(s * 0.12, s * 0.12), c + QPointF(s * 0.3, s * 0.3));
      break;
    }
    case Icon::Apps: {
      p.setPen(Qt::NoPen);
      const double g = s * 0.1;
      const double t = (s - g * 3) / 2;
      for (int i = 0; i < 4; ++i) {
        const QRectF tile(r.left() + g + (i % 2) * (t + g), r.top() + g + (i / 2) * (t + g), t, t);
        p.setBrush(i == 1 ? detail : main);
        p.drawRoundedRect(tile, s * 0.07, s * 0.07);
      }
      break;
    }
    case Icon::Chip: {
      const QRectF body = r.adjusted(s * 0.2, s * 0.2, -s * 0.2, -s * 0.2);
      p.setPen(Pen(main, stroke * 0.8));
      for (int i = 0; i < 4; ++i) {
        const double o = body.left() + body.width() * (0.15 + 0.233 * i);
        p.drawLine(QPointF(o, r.top() + s * 0.06), QPointF(o, body.top()));
        p.drawLine(QPointF(o, body.bottom()), QPointF(o, r.bottom() - s * 0.06));
        const double v = body.top() + body.height() * (0.15 + 0.233 * i);
        p.drawLine(QPointF(r.left() + s * 0.06, v), QPointF(body.left(), v));
        p.drawLine(QPointF(body.right(), v), QPointF(r.right() - s * 0.06, v));
      }
      p.setBrush(main);
      p.drawRoundedRect(body, s * 0.06, s * 0.06);
      p.setPen(Qt::NoPen);
      p.setBrush(detail);
      p.drawRoundedRect(body.adjusted(s * 0.12, s * 0.12, -s * 0.12, -s * 0.12), s * 0.03, s * 0.03);
      break;
    }
    case Icon::Disk: {
      const QRectF body = r.adjusted(s * 0.06, s * 0.22, -s * 0.06, -s * 0.22);
      QLinearGradient g(body.topLeft(), body.bottomLeft());
      g.setColorAt(0, main.lighter(110));
      g.setColorAt(1, main.darker(112));
      p.setPen(Pen(main.darker(130), stroke * 0.6));
      p.setBrush(g);
      p.drawRoundedRect(body, s * 0.08, s * 0.08);
      p.setPen(Pen(detail, stroke * 0.7));
      const double y = body.top() + body.height() * 0.55;
      p.drawLine(QPointF(body.left() + s * 0.08, y), QPointF(body.right() - s * 0.08, y));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(120, 230, 120));
      p.drawEllipse(QPointF(body.right() - s * 0.16, body.top() + body.height() * 0.28), s * 0.05, s * 0.05);
      p.setBrush(detail);
      for (int i = 0; i < 3; ++i) {
        p.drawRect(QRectF(body.left() + s * (0.12 + i * 0.1), body.top() + body.height() * 0.7, s * 0.06,
                          body.height() * 0.14));
      }
      break;
    }
    case Icon::Folder: {
      QPainterPath back;
      back.moveTo(r.left() + s * 0.04, r.top() + s * 0.2);
      back.lineTo(r.left() + s * 0.36, r.top() + s * 0.2);
      back.lineTo(r.left() + s * 0.44, r.top() + s * 0.3);
      back.lineTo(r.right() - s * 0.04, r.top() + s * 0.3);
      back.lineTo(r.right() - s * 0.04, r.bottom() - s * 0.14);
      back.lineTo(r.left() + s * 0.04, r.bottom() - s * 0.14);
      back.closeSubpath();
      p.setPen(Pen(main.darker(125), stroke * 0.6));
      p.setBrush(main.darker(108));
      p.drawPath(back);
      p.setBrush(main);
      p.drawRoundedRect(QRectF(r.left() + s * 0.04, r.top() + s * 0.38, s * 0.92, s * 0.48), s * 0.05,
                        s * 0.05);
      const QPointF c(r.left() + s * 0.6, r.top() + s * 0.6);
      p.setPen(Pen(detail, stroke * 1.1));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(c, s * 0.13, s * 0.13);
      p.drawLine(c + QPointF(s * 0.09, s * 0.09), c + QPointF(s * 0.22, s * 0.22));
      break;
    }
    case Icon::Gear: {
      const QPointF c = r.center();
      QPainterPath gear;
      const int teeth = 8;
      for (int i = 0; i < teeth * 2; ++i) {
        const double a = M_PI * i / teeth;
        const double rad = (i % 2 == 0) ? s * 0.48 : s * 0.36;
        const QPointF pt(c.x() + rad * std::cos(a), c.y() + rad * std::sin(a));
        if (i == 0) {
          gear.moveTo(pt);
        } else {
          gear.lineTo(pt);
        }
      }
      gear.closeSubpath();
      QPainterPath hole;
      hole.addEllipse(c, s * 0.15, s * 0.15);
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      p.drawPath(gear.subtracted(hole));
      break;
    }
    case Icon::Refresh: {
      p.setPen(Pen(main, stroke * 1.2));
      p.setBrush(Qt::NoBrush);
      const QRectF ring = r.adjusted(s * 0.16, s * 0.16, -s * 0.16, -s * 0.16);
      p.drawArc(ring, 30 * 16, 150 * 16);
      p.drawArc(ring, 210 * 16, 150 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      QPainterPath a1;
      a1.moveTo(ring.right() + s * 0.12, ring.center().y() - s * 0.14);
      a1.lineTo(ring.right() - s * 0.14, ring.center().y() - s * 0.14);
      a1.lineTo(ring.right() - s * 0.01, ring.center().y() + s * 0.04);
      a1.closeSubpath();
      p.drawPath(a1);
      QPainterPath a2;
      a2.moveTo(ring.left() - s * 0.12, ring.center().y() + s * 0.14);
      a2.lineTo(ring.left() + s * 0.14, ring.center().y() + s * 0.14);
      a2.lineTo(ring.left() + s * 0.01, ring.center().y() - s * 0.04);
      a2.closeSubpath();
      p.drawPath(a2);
      break;
    }
    case Icon::Help: {
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      p.drawEllipse(r.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
      p.setPen(detail);
      QFont f = p.font();
      f.setPixelSize(static_cast<int>(s * 0.78));
      f.setBold(true);
      p.setFont(f);
      p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
      break;
    }
    case Icon::Home: {
      QPainterPath roof;
      roof.moveTo(r.left() + s * 0.04, r.top() + s * 0.5);
      roof.lineTo(r.center().x(), r.top() + s * 0.08);
      roof.lineTo(r.right() - s * 0.04, r.top() + s * 0.5);
      p.setPen(Pen(main, stroke * 1.2));
      p.setBrush(Qt::NoBrush);
      p.drawPath(roof);
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      p.drawRect(QRectF(r.left() + s * 0.2, r.top() + s * 0.48, s * 0.6, s * 0.44));
      p.setBrush(detail);
      p.drawRect(QRectF(r.left() + s * 0.42, r.top() + s * 0.64, s * 0.16, s * 0.28));
      break;
    }
    case Icon::Shirt: {
      QPainterPath shirt;
      shirt.moveTo(r.left() + s * 0.34, r.top() + s * 0.12);
      shirt.lineTo(r.left() + s * 0.04, r.top() + s * 0.3);
      shirt.lineTo(r.left() + s * 0.16, r.top() + s * 0.5);
      shirt.lineTo(r.left() + s * 0.26, r.top() + s * 0.44);
      shirt.lineTo(r.left() + s * 0.26, r.bottom() - s * 0.08);
      shirt.lineTo(r.right() - s * 0.26, r.bottom() - s * 0.08);
      shirt.lineTo(r.right() - s * 0.26, r.top() + s * 0.44);
      shirt.lineTo(r.right() - s * 0.16, r.top() + s * 0.5);
      shirt.lineTo(r.right() - s * 0.04, r.top() + s * 0.3);
      shirt.lineTo(r.right() - s * 0.34, r.top() + s * 0.12);
      shirt.quadTo(r.center().x(), r.top() + s * 0.3, r.left() + s * 0.34, r.top() + s * 0.12);
      p.setPen(Pen(main, stroke * 0.9));
      p.setBrush(Qt::NoBrush);
      p.drawPath(shirt);
      break;
    }
    case Icon::Warning: {
      QPainterPath tri;
      tri.moveTo(r.center().x(), r.top() + s * 0.06);
      tri.lineTo(r.right() - s * 0.02, r.bottom() - s * 0.08);
      tri.lineTo(r.left() + s * 0.02, r.bottom() - s * 0.08);
      tri.closeSubpath();
      p.setPen(Pen(main.darker(120), stroke * 0.6));
      p.setBrush(main);
      p.drawPath(tri);
      p.setPen(Pen(detail, stroke * 1.2));
      p.drawLine(QPointF(r.center().x(), r.top() + s * 0.36), QPointF(r.center().x(), r.top() + s * 0.62));
      p.drawPoint(QPointF(r.center().x(), r.top() + s * 0.76));
      break;
    }
    case Icon::Cross:
      p.setPen(Pen(main, stroke));
      p.drawLine(r.topLeft(), r.bottomRight());
      p.drawLine(r.topRight(), r.bottomLeft());
      break;
    case Icon::Minus:
      p.setPen(Pen(main, stroke));
      p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
      break;
    case Icon::Bell: {
      QPainterPath bell;
      bell.moveTo(r.left() + s * 0.14, r.top() + s * 0.74);
      bell.cubicTo(r.left() + s * 0.26, r.top() + s * 0.6, r.left() + s * 0.2, r.top() + s * 0.14,
                   r.center().x(), r.top() + s * 0.12);
      bell.cubicTo(r.right() - s * 0.2, r.top() + s * 0.14, r.right() - s * 0.26, r.top() + s * 0.6,
                   r.right() - s * 0.14, r.top() + s * 0.74);
      bell.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      p.drawPath(bell);
      p.drawEllipse(QPointF(r.center().x(), r.top() + s * 0.84), s * 0.08, s * 0.08);
      break;
    }
    case Icon::List: {
      p.setPen(Qt::NoPen);
      for (int i = 0; i < 3; ++i) {
        const double y = r.top() + s * (0.16 + 0.28 * i);
        p.setBrush(i == 0 ? QColor(90, 200, 120) : (i == 1 ? QColor(230, 90, 80) : main));
        p.drawEllipse(QPointF(r.left() + s * 0.14, y + s * 0.08), s * 0.09, s * 0.09);
        p.setBrush(main);
        p.drawRoundedRect(QRectF(r.left() + s * 0.32, y + s * 0.02, s * 0.62, s * 0.12), s * 0.05, s * 0.05);
      }
      break;
    }
    case Icon::Lock: {
      p.setPen(Pen(main, stroke * 1.1));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(r.left() + s * 0.26, r.top() + s * 0.06, s * 0.48, s * 0.5), 0, 180 * 16);
      p.drawLine(QPointF(r.left() + s * 0.26, r.top() + s * 0.31),
                 QPointF(r.left() + s * 0.26, r.top() + s * 0.44));
      p.drawLine(QPointF(r.right() - s * 0.26, r.top() + s * 0.31),
                 QPointF(r.right() - s * 0.26, r.top() + s * 0.44));
      p.setPen(Qt::NoPen);
      p.setBrush(main);
      p.drawRoundedRect(QRectF(r.left() + s * 0.14, r.top() + s * 0.42, s * 0.72, s * 0.5), s * 0.08,
                        s * 0.08);
      p.setBrush(detail);
      p.drawEllipse(QPointF(r.center().x(), r.top() + s * 0.64), s * 0.07, s * 0.07);
      break;
    }
  }
  p.restore();
}
