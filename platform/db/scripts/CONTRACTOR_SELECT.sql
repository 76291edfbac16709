-- Contractors of the type :id_type, or of every type when it is null.
-- c_inn is the contractor's INN requisite (kind 1). n_rating is the weighted
-- mean of the contractor's marks, sum(mark * weight) / sum(weight) over the
-- criteria it has a mark for, on the 0-10 scale of the marks; null without
-- marks (jur.v_contractor_rating).
select c.id, c.c_name, inn.c_value as c_inn, rt.n_rating, c.id_class, c.id_prev,
       c.c_comment, c.n_audit_frequency, c.id_request_doc, c.n_row_version
  from jur.t_contractor c
  left join jur.t_contractor_requis inn on inn.id_contractor = c.id and inn.id_requisite = 1
  left join jur.v_contractor_rating rt on rt.id_contractor = c.id
 where :id_type is null
    or exists (select 1 from jur.t_cont_cont_type ct
                where ct.id_contractor = c.id and ct.id_contractor_type = :id_type )
 order by c.c_name, c.id
